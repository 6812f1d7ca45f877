#include "system/path_checks.h"

#include "core/paths.h"
#include "core/settings.h"
#include "core/short_string.h"
#include "engine/journal.h"
#include "engine/journal_file.h"

namespace {

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool pending_data_names(std::string_view data, std::string folder) {
  strip_trailing_backslash(folder);
  if (folder.empty() || data.size() < folder.size()) return false;
  for (std::size_t i = 0; i + folder.size() <= data.size(); ++i) {
    std::size_t k = 0;
    while (k < folder.size() && data[i + k] != '\0' && ascii_lower(data[i + k]) == ascii_lower(folder[k])) ++k;
    if (k == folder.size()) return true;
  }
  return false;
}

std::string journal_file_path(const InstallerSettings& s) {
  return join_path(parent_dir(join_path(s.install_dir, s.uninstaller_path)), journal_file_name);
}

bool is_absolute_folder(std::string_view path) {
  const bool drive = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                     path[1] == ':' && path[2] == '\\';
  const bool network = path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
  return drive || network;
}

bool install_paths_fit(const InstallerSettings& s, std::string_view folder_name) {
  return !folder_name.empty() && is_absolute_folder(s.install_dir) && fits_short(s.install_dir) &&
         fits_short(s.start_menu_dir) && fits_short(s.uninstall_menu_dir) && fits_short(s.backup_base_dir) &&
         record_fits(record::file, journal_file_path(s));
}
