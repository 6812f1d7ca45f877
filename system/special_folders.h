#pragma once
// Folder discovery: the administrator level and the ten special folders, asked
// of the shell once at start-up. Every folder the shell does not report gets a
// fallback built from the ones it did (only the desktop may stay empty).

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct FolderTable;
struct InstallerSettings;

// The shell's folder ids (CSIDL values), in the order they are queried.
namespace csidl {
constexpr int programs = 0x02;
constexpr int desktop = 0x00;
constexpr int windows = 0x24;
constexpr int start_menu = 0x0B;
constexpr int common_start_menu = 0x16;
constexpr int common_programs = 0x17;
constexpr int program_files = 0x26;
constexpr int personal = 0x05;
constexpr int appdata = 0x1A;
constexpr int common_appdata = 0x23;
}  // namespace csidl

// What the shell answers. An empty function stands for a missing entry point
// (shell32.dll not loadable counts as both missing).
struct ShellFolderSource {
  // IsUserAnAdmin: non-zero for an administrator.
  std::function<int()> is_user_an_admin;
  // SHGetSpecialFolderPathA for one CSIDL: the path, or nothing when the call
  // reported failure.
  std::function<std::optional<std::string>(int csidl)> special_folder_path;
  // The environment variable WINDIR; empty when it is not set.
  std::string windir;
};

// Fills admin_level, folder_discovery_failed and the folder table from the
// source. The flag is set exactly when SHGetSpecialFolderPathA is missing.
void discover_special_folders(InstallerSettings& settings, const ShellFolderSource& source);

// The same with the real shell32.dll and environment (special_folders_win.cpp).
void discover_special_folders(InstallerSettings& settings);

// Every other folder the shell names that exists (start-up folders, the
// other profile and system folders): never removed by an undo, whatever a
// record says (engine/places.h).
std::vector<std::string> other_shell_folders();

// Only the folder table, for the uninstaller; failed is set as above.
FolderTable discover_folder_table(bool& failed);
