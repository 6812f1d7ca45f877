#pragma once
// The installation's places: everything an undo may touch, whatever a record
// read from disk names. Records come from the run's own journal, from the
// record a stopped run left, or from log_inst.dat and the backup list beside
// it; those files can be edited by anyone who can write where they lie. Each
// step of an undo is checked against these places before anything is done,
// and whatever lies elsewhere is refused.
//
// The places:
//   - the installation folder and everything below it;
//   - folders above it, which the write test may have made (a folder is only
//     ever removed when it is empty);
//   - the product's own shortcut files, by their names: directly on a
//     desktop, or below a start menu's program folder;
//   - the product's start-menu folders: below a program folder, and never
//     one of the shell's own folders;
//   - the run's backup folder, and in it only the files that run saved;
//   - log_inst.dat and the backup list of this installation;
//   - the product's own Add/Remove Programs key.
//
// A path counts only in its plain full form: a drive letter, its root, and
// names Windows keeps as they are. "." and "..", doubled separators, "/", a
// stream, a device name, a trailing dot or blank, "\\?\" and UNC forms lie in
// no place. Letter case does not count. A short (8.3) name is not the long
// name it may stand for; the undo's executor refuses a path whose long form
// differs from it, since only the file system knows the short names.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct InstallationPlaces {
  std::string install_dir;                  // full, in its long form, ending with "\"
  std::vector<std::string> program_menus;   // the start menus' program folders (user's and all users')
  std::vector<std::string> desktops;        // shortcuts lie directly in one of these
  std::vector<std::string> link_names;      // file names of the product's shortcuts, ".lnk" included
  std::vector<std::string> own_files;       // log_inst.dat and the backup list, for either language
  std::vector<std::string> shell_folders;   // never removed and never a backup folder: the shell's own
  std::vector<std::string> system_folders;  // the Windows and system folders: never a backup folder
  // Whether key is this product's Add/Remove Programs entry for the
  // installation folder spelt as install_dir (the setup names it so).
  std::function<bool(std::string_view key, std::string_view install_dir)> own_entry;
};

// What names the product's own things, in both languages.
struct ProductNames {
  std::vector<std::string> product_folders;    // the folder name appended to the base folder
  std::vector<std::string> uninstaller_paths;  // below the installation folder: log_inst.dat lies beside
  std::vector<std::string> link_titles;        // the shortcuts' names, without ".lnk"
};

struct FolderTable;

// The places of an installation into install_dir (its long form, ending with
// "\"). shell_folders: every folder the shell names beyond the table's
// (system/special_folders.h). entry_key names the product's entry for a
// product folder name and an installation folder's spelling.
InstallationPlaces make_installation_places(
    const std::string& install_dir, const FolderTable& folders, const ProductNames& names,
    std::vector<std::string> shell_folders,
    std::function<std::string(std::string_view product_folder, std::string_view install_dir)> entry_key);

// A drive letter, ":\" and names below it that pass is_contained_name, with
// "\" separators only and no trailing "\" but the root's.
bool is_plain_full_path(std::string_view path);

// path is folder, or lies below it; both plain full paths, letter case
// folded (Windows-1252 letters too), a trailing "\" of either ignored.
bool lies_in(std::string_view path, std::string_view folder);
// path lies below folder, not folder itself.
bool lies_below(std::string_view path, std::string_view folder);
// The same path, as lies_in compares them.
bool same_path(std::string_view a, std::string_view b);

// The part of path below folder (which path must lie below), without a
// leading "\".
std::string relative_part(std::string_view path, std::string_view folder);

// Below the installation folder (not the folder itself).
bool in_installation(const InstallationPlaces& places, std::string_view path);
// One of the product's shortcut files: named as one of them, directly on a
// desktop or below a program folder. The root it lies in, or empty.
std::string own_link_root(const InstallationPlaces& places, std::string_view path);
// A folder below a program folder that is none of the shell's folders. The
// program folder, or empty.
std::string menu_folder_root(const InstallationPlaces& places, std::string_view folder);
// A folder the installation folder lies below, none of the shell's folders.
bool above_installation(const InstallationPlaces& places, std::string_view folder);
bool is_own_file(const InstallationPlaces& places, std::string_view path);
bool is_shell_folder(const InstallationPlaces& places, std::string_view folder);
// Where a run may have saved replaced files: a plain full path, not a
// drive's root, apart from the installation folder (neither in it nor above
// it) and outside the Windows and system folders.
bool backup_folder_allowed(const InstallationPlaces& places, std::string_view folder);
