#include "engine/backup_cleanup.h"

#include <windows.h>

#include "core/journal.h"
#include "core/message_box.h"
#include "core/settings.h"
#include "engine/rollback.h"
#include "engine/saved_files.h"
#include "engine/tree_removal.h"

namespace {

BackupChoice choose(const InstallerSettings& settings, bool after_rollback) {
  if (!settings.silent) return ask_delete_backups(settings, !after_rollback);
  // What a rollback could not put back is the only copy of the user's file.
  if (after_rollback) return BackupChoice::keep;
  return settings.backup_base_dir.empty() ? BackupChoice::delete_files : BackupChoice::keep;
}

}  // namespace

BackupChoice ask_delete_backups(const InstallerSettings& settings, bool allow_cancel) {
  const int answer =
      show_message_text(cleanup_caption, cleanup_question(settings.german(), settings.backup_dir, allow_cancel),
                        (allow_cancel ? MB_YESNOCANCEL : MB_YESNO) | MB_ICONEXCLAMATION);
  if (answer == IDYES) return BackupChoice::delete_files;
  if (answer == IDNO || !allow_cancel) return BackupChoice::keep;
  return BackupChoice::roll_back;
}

void remove_empty_backup_folders(const BackupState& backup) {
  for (auto d = backup.created_dirs.rbegin(); d != backup.created_dirs.rend(); ++d) remove_folder(*d);
}

CleanupResult finish_backups(InstallerSettings& settings, bool after_rollback, const std::function<void()>& roll_back,
                             SavedFiles* held) {
  if (saved_items_present(settings.backup).empty()) {
    remove_empty_backup_folders(settings.backup);
    return CleanupResult::go_on;
  }
  switch (choose(settings, after_rollback)) {
    case BackupChoice::roll_back:
      roll_back();
      // Asked again, now without Cancel, when saved files could not go back.
      finish_backups(settings, true, roll_back, held);
      return CleanupResult::rolled_back;
    case BackupChoice::keep:
      add_record(settings.journal, record::backup_dir, settings.backup_dir);
      return CleanupResult::go_on;
    case BackupChoice::delete_files:
      break;
  }
  if (after_rollback) {
    delete_saved_files(settings.backup, held);
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
