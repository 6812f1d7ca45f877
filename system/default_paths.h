#pragma once
// The defaults the path dialog offers, its start-menu preview label and the
// start-menu folders it places the game's and the uninstaller's folders under.

#include <string>

struct InstallerSettings;

// Sets the five path-dialog texts: the install base (the program-files folder,
// or the application-data folder's Games folder for a non-administrator), the
// product folder as sub-folder, "Start\", "/" and the label built from them.
void compute_dialog_defaults(InstallerSettings& settings);

// Rebuilds start_menu_label after the dialog stored the combo box text in
// start_menu_subdir_text; that text ends at its first zero character.
void compose_start_menu_label(InstallerSettings& settings);

// The all-users start menu for an administrator installing for everyone,
// otherwise the user's own. Both at most 255 characters.
std::string game_start_menu_root(const InstallerSettings& settings);
// The same, but also the user's own when the uninstaller is hidden from others.
std::string uninstall_start_menu_root(const InstallerSettings& settings);
