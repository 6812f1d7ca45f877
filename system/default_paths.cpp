#include "system/default_paths.h"

#include "core/paths.h"
#include "core/settings.h"
#include "core/short_string.h"

void compute_dialog_defaults(InstallerSettings& s) {
  s.default_install_base = s.admin_level == -1 ? s.folders.appdata_dir + "\\Games\\"
                                               : s.folders.program_files_dir + "\\";
  s.default_install_subdir = s.product_folder;
  s.start_menu_label_root = "Start\\";
  s.start_menu_subdir_text = "/";
  // Plain concatenation: the label starts as "Start//" + product folder.
  s.start_menu_label = s.start_menu_label_root + s.start_menu_subdir_text + s.default_install_subdir;
  to_forward_slashes(s.start_menu_label);
}

void compose_start_menu_label(InstallerSettings& s) {
  const auto end = s.start_menu_subdir_text.find('\0');
  if (end != std::string::npos) s.start_menu_subdir_text.resize(end);
  s.start_menu_label = join_path3_any(s.start_menu_label_root, s.start_menu_subdir_text, s.default_install_subdir);
  to_forward_slashes(s.start_menu_label);
}

std::string game_start_menu_root(const InstallerSettings& s) {
  const bool for_everyone = s.admin_level == 1 && !s.user_only;
  return cut_short(for_everyone ? s.folders.common_start_menu_dir : s.folders.user_start_menu_dir);
}

std::string uninstall_start_menu_root(const InstallerSettings& s) {
  const bool for_everyone = s.admin_level == 1 && !s.user_only && !s.hide_uninstall;
  return cut_short(for_everyone ? s.folders.common_start_menu_dir : s.folders.user_start_menu_dir);
}
