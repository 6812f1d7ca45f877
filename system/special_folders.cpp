#include "system/special_folders.h"

#include <string_view>

#include "core/paths.h"
#include "core/settings.h"
#include "core/short_string.h"

namespace {

// Fills one field from the shell, leaving it empty when the shell reports nothing.
void query(std::string& field, int id, const ShellFolderSource& source) {
  if (auto path = source.special_folder_path(id)) field = cut_short(*path);
}

void fill_if_empty(std::string& field, std::string_view value) {
  if (field.empty()) field = cut_short(value);
}

// The last part of a folder path with its leading "\": "\Programs" for
// "D:\Documents and Settings\x\Start Menu\Programs"; the whole text when it
// holds no "\". A path with a single "\" such as "C:\Programs" also gives
// "\Programs", so its drive is never appended to the Windows drive.
std::string_view last_part(std::string_view path) {
  const auto last = path.rfind('\\');
  return last == std::string_view::npos ? path : path.substr(last);
}

void apply_fallbacks(FolderTable& f, const std::string& windir) {
  // Strict order: each fallback may read the ones filled before it.
  fill_if_empty(f.windows_dir, windir);
  fill_if_empty(f.windows_dir, "c:\\windows");
  fill_if_empty(f.user_start_menu_dir, join_path(f.windows_dir, "startmenu"));
  fill_if_empty(f.common_start_menu_dir, f.user_start_menu_dir);
  fill_if_empty(f.programs_dir, join_path(f.user_start_menu_dir, "Programs"));
  fill_if_empty(f.common_programs_dir, f.programs_dir);
  // Named like the program menu's folder, on the Windows drive: C:\Programme
  // where that folder is called Programme.
  const std::string_view drive = std::string_view(f.windows_dir).substr(0, 3);
  fill_if_empty(f.program_files_dir, join_path(drive, last_part(f.programs_dir)));
  fill_if_empty(f.documents_dir, "c:\\ownfiles");
  fill_if_empty(f.appdata_dir, f.program_files_dir);
  fill_if_empty(f.common_appdata_dir, f.appdata_dir);
}

}  // namespace

void discover_special_folders(InstallerSettings& settings, const ShellFolderSource& source) {
  settings.admin_level = 0;
  settings.folder_discovery_failed = true;
  settings.folders = FolderTable{};
  FolderTable& f = settings.folders;

  if (source.is_user_an_admin) settings.admin_level = source.is_user_an_admin() != 0 ? 1 : -1;

  if (source.special_folder_path) {
    query(f.programs_dir, csidl::programs, source);
    query(f.desktop_dir, csidl::desktop, source);
    query(f.windows_dir, csidl::windows, source);
    query(f.user_start_menu_dir, csidl::start_menu, source);
    query(f.common_start_menu_dir, csidl::common_start_menu, source);
    query(f.common_programs_dir, csidl::common_programs, source);
    query(f.program_files_dir, csidl::program_files, source);
    query(f.documents_dir, csidl::personal, source);
    query(f.appdata_dir, csidl::appdata, source);
    query(f.common_appdata_dir, csidl::common_appdata, source);
    settings.folder_discovery_failed = false;
  }

  apply_fallbacks(f, source.windir);
}
