#pragma once
// The end of the backup folder: when the installation is over, the files it
// saved are deleted, kept (journaled as "RDIR:" + the folder for the game's
// uninstaller) or the installation is rolled back, as the run's questions
// answer (the user, or a silent run's options). Only what this run saved is
// touched; the folder itself goes only when it is empty and this run made it.

#include <functional>

struct BackupState;
struct InstallRun;
class SavedFiles;

enum class CleanupResult {
  go_on,              // nothing saved is left, or it is kept
  go_on_then_delete,  // go on; delete the saved files once the journal file is written
  rolled_back,        // the user chose the rollback instead
};

// Decides what becomes of the saved files. A kept folder gets its "RDIR:"
// record; the deletion itself is left to delete_saved_files, so that a run
// stopped before its journal file is written can still be undone.
// after_rollback: the question offers no Cancel, and what is deleted goes at
// once. roll_back rolls the run back when the answer asks for it.
CleanupResult finish_backups(InstallRun& run, bool after_rollback, const std::function<void()>& roll_back);

// Lets go of the saved files and deletes them (read-only ones too; links are
// removed, never entered), the folders this run made below the backup
// folder, and the backup folder when this run made it, each only once empty.
void delete_saved_files(const BackupState& backup, SavedFiles* held);
