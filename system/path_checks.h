#pragma once
// Whether chosen folders can be used, checked before anything is written.
// A folder must be a plain absolute folder name; no file operation that the
// system has queued for the next reboot may name it (it would rename or
// delete what is installed); and the installation folder must take a new
// file. The checks on names and on the queued operations' bytes need no
// Windows and are tested natively; the rest is in path_checks_win.cpp.
//
// The path dialog asks them in this order when OK is pressed and turns each
// "no" into its own message:
//
//   install_paths_fit        M6 (names that cannot be used at all)
//   (the drives' free space, engine/space_needed.h: a message of its own)
//   has_pending_rename       installation folder: M2; start-menu folders: M3
//   existing_installation    start-menu folder only: M4; both: M5
//   install_dir_usable       M6 (the write probe)
//
// (M1, options that differ from what the dialog shows, is the dialog's own.)
// A silent run asks paths_usable, which runs the same checks without asking.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct InstallerSettings;
class ShellRegistry;
class Tstring_writer;
class RunRecordSink;

// What is wrong with a folder's form, before the file system is asked.
enum class FolderForm {
  usable,
  empty,
  relative,   // no drive letter and root: "Games", "C:Games", "\Games"
  network,    // "\\server\share" and "\\?\" forms
  bad_name,   // a segment Windows cannot hold: device names, forbidden characters, trailing dot or blank
  too_long,   // over 255 characters
};
FolderForm folder_form(std::string_view folder);

// A base folder the installation folder is composed from ("-P", the path
// dialog's first field): usable as it stands. "C:" and "C:games" are
// relative to the drive's current folder, not the drive's root.
bool base_folder_usable(std::string_view base);

// A folder for replaced files ("-p"): none, or a folder name of the same
// form as a usable installation folder (folder_form): absolute, no network
// path, device name, forbidden character or trailing dot or blank.
bool backup_base_usable(std::string_view folder);

// The journal file's path: next to the uninstaller below install_dir.
std::string journal_file_path(const InstallerSettings& settings);

// What can be told from the names alone: the installation folder and each
// start-menu folder that is set have a usable form, the installation folder
// has a folder name below its base (folder_name, the dialog's second field,
// is not empty), and every composed path and the journal file's record fit in
// 255 characters, so nothing would be cut into another path.
bool install_paths_fit(const InstallerSettings& settings, std::string_view folder_name);

// True when path, without one trailing "\", occurs in the raw bytes of the
// queued operations (REG_MULTI_SZ, not split, prefixes such as \??\ kept):
// letters A to Z match either case, every other byte must be equal, and no
// zero byte lies inside a match. A plain substring search, so C:\Games is also
// found in \??\C:\Games2\old.dll. An empty path matches nothing.
bool pending_operations_mention(const std::uint8_t* data, std::size_t size, std::string_view path);

// The probe file's name; a variant is used when a file of that name exists.
constexpr const char* probe_file_name = "del_me_874bvgj345t87gd3z.txt";
// The n-th name tried (0: the plain name, then "del_me_874bvgj345t87gd3z_2.txt"...).
std::string probe_name(int attempt);
constexpr int probe_name_attempts = 16;

// --- asking the system (path_checks_win.cpp) ---------------------------------

// True when the system has queued a rename or deletion for the next reboot
// that names the folder (see pending_operations_mention). Missing registry
// functions or value: false.
bool has_pending_rename(const ShellRegistry& registry, const std::string& path);

enum class ExistingInstallation {
  none,             // the uninstall start-menu folder does not exist
  start_menu_only,  // it exists, the installation folder does not
  both,             // both exist
};
ExistingInstallation existing_installation(const InstallerSettings& settings);

// Makes the folder (ending in "\") and its missing parents with journaled
// "DIR:" records, creates a probe file of a name that does not exist yet and
// deletes it again. On success the probe file's path goes into the journal as
// an untagged record (the game's uninstaller expects it); on failure the
// folders it made are removed again and their records dropped, so nothing of
// the probe remains. A file that exists is never touched. With a record that
// is not open yet, the probe begins it for the folder first (and fails when
// it cannot) and announces every folder and file there; a failed probe
// discards it again.
bool probe_write(Tstring_writer& journal, const std::string& folder, RunRecordSink* record = nullptr);

// The folder for replaced files ("-p") is not the installation folder, does
// not lie inside it and does not hold it: moving a file there would move it
// within the installation. True when no such folder is given.
bool backup_folder_apart(const InstallerSettings& settings);

// install_paths_fit, then the write probe in the installation folder, which
// begins the run's record.
bool install_dir_usable(InstallerSettings& settings, std::string_view folder_name, RunRecordSink* record);

// The whole check of a silent run's folders, before anything else is written:
// the names, queued operations for any of the folders (each start-menu folder
// that is set, on its own), and the write probe.
bool paths_usable(InstallerSettings& settings, const ShellRegistry& registry, RunRecordSink* record);
