#pragma once
// What a step of a run sequence came to (setup/, uninstall/): go on to the
// next step, or how the run ends. Each ending is one exit code, and
// exit_code_for is the one place that says which (core/exit_codes.h).

#include "core/exit_codes.h"

enum class Outcome {
  go_on,                // the step is done; the next one follows
  done,                 // installed, or removed
  no_special_folders,   // the shell could not name the special folders
  input_damaged,        // the payload, or the journal, cannot be used
  user_left,            // the user left a dialog or said No
  refused,              // the folders cannot be used, or records were refused
  rolled_back,          // the installation failed and was undone
  incomplete,           // failed, and what was there stays
  saved_files_changed,  // undone, but changed saved files were not put back
  disk_full,            // a drive has not the free space the installation needs
};

constexpr ExitCode exit_code_for(Outcome outcome) {
  switch (outcome) {
    case Outcome::go_on:
    case Outcome::done: return exit_success;
    case Outcome::no_special_folders: return exit_folder_discovery_failed;
    case Outcome::input_damaged: return exit_input_damaged;
    case Outcome::user_left: return exit_user_left;
    case Outcome::refused: return exit_refused;
    case Outcome::rolled_back: return exit_rolled_back;
    case Outcome::incomplete: return exit_incomplete;
    case Outcome::saved_files_changed: return exit_saved_files_changed;
    case Outcome::disk_full: return exit_disk_full;
  }
  return exit_incomplete;
}
