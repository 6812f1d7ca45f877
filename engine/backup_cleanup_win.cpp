#include "engine/backup_cleanup.h"

#include <windows.h>

#include "core/journal.h"
#include "core/settings.h"
#include "engine/install_run.h"
#include "engine/questions.h"
#include "engine/rollback.h"
#include "engine/saved_files.h"
#include "engine/tree_removal.h"

namespace {

void remove_empty_backup_folders(const BackupState& backup) {
  for (auto d = backup.created_dirs.rbegin(); d != backup.created_dirs.rend(); ++d) remove_folder(*d);
}

}  // namespace

CleanupResult finish_backups(InstallRun& run, bool after_rollback, const std::function<void()>& roll_back) {
  InstallerSettings& s = run.settings;
  if (saved_items_present(run.backup).empty()) {
    remove_empty_backup_folders(run.backup);
    return CleanupResult::go_on;
  }
  const BackupChoice choice =
      run.questions ? run.questions->saved_files(s.backup_dir, !after_rollback) : BackupChoice::keep;
  switch (after_rollback && choice == BackupChoice::roll_back ? BackupChoice::keep : choice) {
    case BackupChoice::roll_back:
      roll_back();
      // Asked again, now without Cancel, when saved files could not go back.
      finish_backups(run, true, roll_back);
      return CleanupResult::rolled_back;
    case BackupChoice::keep:
      add_record(s.journal, record::backup_dir, s.backup_dir);
      return CleanupResult::go_on;
    case BackupChoice::delete_files:
      break;
  }
  if (after_rollback) {
    delete_saved_files(run.backup, run.saved_files);
    return CleanupResult::go_on;
  }
  return CleanupResult::go_on_then_delete;
}

void delete_saved_files(const BackupState& backup, SavedFiles* held) {
  if (held) held->release();
  // A saved folder was empty when it was moved: it goes only while it still is.
  for (auto item = backup.items.rbegin(); item != backup.items.rend(); ++item) {
    delete_file_or_empty_folder(item->saved);
  }
  remove_empty_backup_folders(backup);
}
