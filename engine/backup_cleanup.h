#pragma once
// The end of the backup folder: when the installation is over, the files it
// saved are deleted, kept (journaled as "RDIR:" + the folder for the game's
// uninstaller) or the installation is rolled back, as the user chooses. Only
// what this run saved is touched; the folder itself goes only when it is
// empty and this run made it.

#include <cstdint>
#include <functional>
#include <string>

#include "core/settings.h"

class SavedFiles;

enum class BackupChoice : std::int32_t {
  delete_files = 1,
  keep = 0,
  roll_back = -1,
};

constexpr const char* cleanup_caption = "Delete temporary files?";

// The question's text; the Cancel line only when cancel is offered.
std::string cleanup_question(bool german, const std::string& folder, bool allow_cancel);

BackupChoice ask_delete_backups(const InstallerSettings& settings, bool allow_cancel);

enum class CleanupResult {
  go_on,              // nothing saved is left, or it is kept
  go_on_then_delete,  // go on; delete the saved files once the journal file is written
  rolled_back,        // the user chose the rollback instead
};

// Decides what becomes of the saved files. A kept folder gets its "RDIR:"
// record; the deletion itself is left to delete_saved_files, so that a run
// stopped before its journal file is written can still be undone.
// after_rollback: the question offers no Cancel, and a silent run keeps what
// could not be restored instead of deleting it. roll_back rolls the run back
// when the user chooses to; held: the saved files this run holds open.
CleanupResult finish_backups(InstallerSettings& settings, bool after_rollback, const std::function<void()>& roll_back,
                             SavedFiles* held);

// Lets go of the saved files and deletes them (read-only ones too; links are
// removed, never entered), the folders this run made below the backup
// folder, and the backup folder when this run made it, each only once empty.
void delete_saved_files(const BackupState& backup, SavedFiles* held);

// Removes the folders of the backup that hold nothing (silently).
void remove_empty_backup_folders(const BackupState& backup);
