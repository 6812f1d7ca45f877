#pragma once
// InstallerSettings: the one record of a run's paths, texts, options and state.
// The run sequence owns it and hands it to the steps that need it.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/progress_sink.h"
#include "core/journal.h"

constexpr std::int32_t language_english = 0;
constexpr std::int32_t language_german = 1000;

// Special folders, filled once at start-up (folder discovery); empty means unknown.
struct FolderTable {
  std::string programs_dir;           // current user's start-menu programs
  std::string desktop_dir;
  std::string windows_dir;
  std::string user_start_menu_dir;
  std::string common_start_menu_dir;
  std::string common_programs_dir;    // all users' start-menu programs
  std::string program_files_dir;
  std::string documents_dir;
  std::string appdata_dir;            // current user's application data
  std::string common_appdata_dir;     // data shared by all users
};

struct BackupStatistics {
  std::int32_t saved = 0;        // files moved into the backup folder
  std::int32_t not_saved = 0;    // replaced files that could not be moved there
  std::int32_t restored = 0;     // saved files moved back by a rollback
  std::int32_t unrestored = 0;   // saved files still in the backup folder after it
};

// One file or folder this run moved into the backup folder: where it was,
// where it went, the attributes it had (0: not known), and the SHA-256 of its
// bytes taken before the move, as 64 hexadecimal digits (empty for an empty
// folder). It goes back only while its bytes still have that digest.
struct SavedItem {
  std::string original;
  std::string saved;
  std::uint32_t attributes = 0;
  std::string digest;
};

// What this run did in the backup folder, so that clean-up and rollback act on
// exactly that and never on other contents of a folder given with "-p".
struct BackupState {
  // Folders this run made for it, in the order made: missing parents, the
  // backup folder itself, folders below it.
  std::vector<std::string> created_dirs;
  std::vector<SavedItem> items;            // what it moved there, in order
  // Shortcuts this run put its own in place of: path -> the bytes they had.
  std::map<std::string, std::string> links_replaced;
};

class RunRecordSink;
class SavedFiles;

struct InstallerSettings {
  // Target paths. install_dir ends with "\" when the install step runs; an
  // empty start-menu folder means no shortcuts there.
  std::string install_dir;
  std::string start_menu_dir;
  std::string uninstall_menu_dir;

  // The seven product texts, string ids 2000 to 2006 plus language_offset.
  std::string product_folder;     // folder name appended to the base folders
  std::string game_exe_path;      // below install_dir, starts with "\"
  std::string uninstaller_path;   // below install_dir, starts with "\"
  std::string product_title;
  std::string uninstall_title;
  std::string game_comment;
  std::string uninstall_comment;
  // The product's [Release], the same in both languages; empty without one.
  std::string product_version;
  std::string publisher;

  std::string backup_base_dir;    // "-p": used as the backup folder itself
  std::string backup_dir;         // this run's backup folder, empty until made
  std::string launch_args;        // arguments for the game and its uninstaller
  std::string log_path;           // "-W": the plain-text log of the run, empty for none

  // Defaults the path dialog offers.
  std::string default_install_base;
  std::string default_install_subdir;
  std::string start_menu_label_root;
  std::string start_menu_subdir_text;
  std::string start_menu_label;

  std::int32_t language_offset = language_english;
  std::int32_t admin_level = 0;   // 1 administrator, -1 not, 0 unknown
  std::int32_t result_code = 0;
  BackupStatistics backups;
  BackupState backup;

  // Options; the letters are the command-line switches (upper case on).
  bool user_only = false;              // U
  bool desktop_icon = false;           // I
  bool add_remove_entry = true;        // C
  bool start_menu_uninstall = true;    // Y
  bool hide_uninstall = true;          // H
  bool game_explorer_legacy = false;   // V (stored and shown only)
  bool game_explorer_native = false;   // N (stored and shown only)
  bool no_data_sharing = false;        // S
  bool no_start_menu = false;          // M
  bool no_registry = false;            // R
  bool overwrite_all = false;          // O
  bool skip_language_dialog = false;   // a valid -L
  bool silent = false;                 // G
  bool verify_files = true;            // F
  bool rollback_on_failure = false;    // B
  bool quiet = false;                  // Q: nothing shown at all; implies silent
  bool abort = false;                  // set when the run must stop

  bool folder_discovery_failed = false;
  FolderTable folders;

  Tstring_writer journal;
  // Hears of each file extraction writes: an interactive run's progress
  // window and the "-W" log (core/run_log.h), both owned by the run sequence.
  ProgressSink* progress = nullptr;
  // The stopped-run record of the install step, while it is open (not owned).
  RunRecordSink* run_record = nullptr;
  // The files this run saved, held open until it ends (not owned).
  SavedFiles* saved_files = nullptr;

  bool german() const { return language_offset == language_german; }
};
