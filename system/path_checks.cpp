#include "system/path_checks.h"

#include "core/paths.h"
#include "core/settings.h"
#include "core/short_string.h"
#include "core/journal.h"
#include "engine/journal_file.h"

namespace {

bool is_drive_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char fold(std::uint8_t c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c); }

}  // namespace

FolderForm folder_form(std::string_view folder) {
  if (folder.empty()) return FolderForm::empty;
  if (!fits_short(folder)) return FolderForm::too_long;
  if (folder.size() >= 2 && (folder[0] == '\\' || folder[0] == '/') && (folder[1] == '\\' || folder[1] == '/')) {
    return FolderForm::network;
  }
  if (folder.size() < 3 || !is_drive_letter(folder[0]) || folder[1] != ':' || (folder[2] != '\\' && folder[2] != '/')) {
    return FolderForm::relative;
  }
  std::string_view rest = folder.substr(3);
  if (!rest.empty() && (rest.back() == '\\' || rest.back() == '/')) rest.remove_suffix(1);
  // The drive's root itself is a usable folder; anything below it must be
  // names Windows can hold.
  if (!rest.empty() && !is_contained_name(rest)) return FolderForm::bad_name;
  return FolderForm::usable;
}

bool base_folder_usable(std::string_view base) { return folder_form(base) == FolderForm::usable; }

bool backup_base_usable(std::string_view folder) {
  return folder.empty() || folder_form(folder) == FolderForm::usable;
}

std::string journal_file_path(const InstallerSettings& s) {
  return join_path(s.install_dir, journal_file_relative_path(s.uninstaller_path));
}

bool install_paths_fit(const InstallerSettings& s, std::string_view folder_name) {
  if (folder_name.empty() || folder_form(s.install_dir) != FolderForm::usable) return false;
  for (const std::string* menu : {&s.start_menu_dir, &s.uninstall_menu_dir}) {
    if (!menu->empty() && folder_form(*menu) != FolderForm::usable) return false;
  }
  return fits_short(s.backup_base_dir) && record_fits(record::file, journal_file_path(s));
}

bool pending_operations_mention(const std::uint8_t* data, std::size_t size, std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (path.empty() || size < path.size()) return false;
  bool found = false;
  for (std::size_t i = 0; i + path.size() <= size; ++i) {
    std::size_t k = 0;
    while (k < path.size() && data[i + k] != 0 &&
           fold(data[i + k]) == fold(static_cast<std::uint8_t>(path[k]))) {
      ++k;
    }
    found = found || k == path.size();
  }
  return found;
}

std::string probe_name(int attempt) {
  if (attempt == 0) return probe_file_name;
  std::string name = probe_file_name;
  name.insert(name.size() - 4, "_" + std::to_string(attempt + 1));
  return name;
}
