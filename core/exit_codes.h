#pragma once
// The exit codes of setup.exe. A failure never looks like success to a script.
enum ExitCode : int {
  exit_success = 0,
  exit_folder_discovery_failed = 1,  // the shell could not name the special folders
  exit_payload_invalid = 2,          // the carried files are missing or damaged
  exit_user_left = 3,                // the user left a dialog
  exit_paths_unusable = 4,           // the chosen folders cannot be used
  exit_rolled_back = 5,              // the installation failed and was undone
  exit_failed_kept = 6,              // the installation failed and was kept
  exit_saved_files_changed = 7,      // undone, but saved files whose bytes were changed were not put back
};
