#include "core/silent_paths.h"

#include "core/paths.h"
#include "core/settings.h"

void complete_silent_paths(InstallerSettings& s) {
  const FolderTable& f = s.folders;
  if (s.install_dir.empty()) s.install_dir = s.admin_level < 0 ? f.appdata_dir : f.program_files_dir;
  s.install_dir = join_path3(s.install_dir, s.product_folder, "\\");

  if (s.start_menu_dir.empty())
    s.start_menu_dir = join_path(s.user_only ? f.programs_dir : f.common_programs_dir, s.product_folder);
  if (s.uninstall_menu_dir.empty())
    s.uninstall_menu_dir = s.hide_uninstall ? join_path(f.programs_dir, s.product_folder) : s.start_menu_dir;

  if (!s.start_menu_uninstall) s.uninstall_menu_dir.clear();
  if (s.no_start_menu) {
    s.uninstall_menu_dir.clear();
    s.start_menu_dir.clear();
  }
}
