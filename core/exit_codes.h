#pragma once
// The exit codes of setup.exe and uninstall.exe: one list for both programs,
// each code with one meaning, said for each program. A failure never looks
// like success to a script. The README's tables and the winget manifest's
// ExpectedReturnCodes are made from (and tested against) this list, which
// the host tool exitcodes prints.

#include <cstddef>

enum ExitCode : int {
  exit_success = 0,
  exit_folder_discovery_failed = 1,  // the shell could not name the special folders
  exit_input_damaged = 2,            // the carried files, or the journal, cannot be used
  exit_user_left = 3,                // the user left a dialog or said No
  exit_refused = 4,                  // the folders cannot be used, or records were refused
  exit_rolled_back = 5,              // the installation failed and was undone
  exit_incomplete = 6,               // failed, and what was there stays; run again
  exit_saved_files_changed = 7,      // undone, but changed saved files were not put back
  exit_disk_full = 8,                // a drive has not the free space the installation needs
};

struct ExitCodeInfo {
  ExitCode code;
  const char* name;
  const char* setup;       // what it means for setup.exe; null: never given
  const char* uninstall;   // what it means for uninstall.exe; null: never given
  const char* winget;      // the winget ReturnResponse of setup.exe's code
};

// Every code, in order.
extern const ExitCodeInfo exit_code_list[];
extern const std::size_t exit_code_count;
