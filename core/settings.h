#pragma once
// InstallerSettings: the one record of a run's paths, texts and options, with
// the fields the original program's record had and nothing else. The run
// sequence owns it and hands it to the steps that need it; what a run holds
// while it changes the machine is its own (engine/install_run.h).

#include <cstdint>
#include <string>

#include "core/journal.h"
#include "core/language.h"

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

  std::string backup_base_dir;    // "-p": used as the backup folder itself
  std::string backup_dir;         // this run's backup folder, empty until made
  std::string launch_args;        // arguments for the game and its uninstaller

  // Defaults the path dialog offers.
  std::string default_install_base;
  std::string default_install_subdir;
  std::string start_menu_label_root;
  std::string start_menu_subdir_text;
  std::string start_menu_label;

  std::int32_t language_offset = language_english;
  std::int32_t admin_level = 0;   // 1 administrator, -1 not, 0 unknown
  std::int32_t result_code = 0;   // the path dialog's result
  BackupStatistics backups;

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
  bool abort = false;                  // set when the run stopped before it ended

  bool folder_discovery_failed = false;
  FolderTable folders;

  Tstring_writer journal;

  bool german() const { return language_offset == language_german; }
};
