#pragma once
// Checks of the folders an interactive installation is about to use, in the
// order the path dialog asks them when OK is pressed. Each answers one
// question; the dialog turns each "no" into its own message:
//
//   install_paths_fit        M6 (names that cannot be used at all)
//   has_pending_rename       installation folder: M2; start-menu folders: M3
//   existing_installation    start-menu folder only: M4; both: M5
//   install_dir_usable       M6
//
// (M1, options that differ from what the dialog shows, is the dialog's own.)

#include <string>
#include <string_view>

struct InstallerSettings;
class ShellRegistry;

// True when a file operation queued for the next reboot names the folder:
// the folder, without one trailing "\", occurs anywhere in the queued names,
// ASCII letters compared without regard to case. A folder that is empty
// without its "\" is named by nothing.
bool has_pending_rename(const ShellRegistry& registry, const std::string& folder);
// The search itself, on the bytes of the registry value.
bool pending_data_names(std::string_view data, std::string folder);

enum class ExistingInstallation {
  none,             // the uninstall start-menu folder does not exist
  start_menu_only,  // it exists, the installation folder does not
  both,             // both exist
};
ExistingInstallation existing_installation(const InstallerSettings& settings);

// The journal file's path: next to the uninstaller below install_dir.
std::string journal_file_path(const InstallerSettings& settings);

// A folder given with its drive ("C:\...") or as a network path ("\\server\...").
bool is_absolute_folder(std::string_view path);

// What can be told from the names alone: the installation folder is absolute
// and has a folder name below its base (folder_name, the dialog's second
// field, is not empty); every composed path and the journal file's record fit
// in 255 characters, so nothing would be cut into another path.
bool install_paths_fit(const InstallerSettings& settings, std::string_view folder_name);

// install_paths_fit, then what only the file system can tell.
bool install_dir_usable(const InstallerSettings& settings, std::string_view folder_name);
