#pragma once
// The rollback: undoes an installation from its journal and puts back what it
// moved into the backup folder. Files go first (newest first), then the saved
// files come back, then folders (deepest, newest first), then registrations.
// A record whose file or folder is gone already counts as undone. Only what
// the run itself saved is moved back, and only the folders it made below the
// backup folder (and the backup folder itself, when it made it) are removed,
// and only when empty.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/settings.h"

// Removes one uninstall registration by key name; true when it is gone.
using RemoveRegistration = std::function<bool(const std::string& key)>;

struct UndoPlan {
  std::vector<std::string> records;  // the journal, in order
  std::string backup_dir;
  BackupState backup;
};

struct UndoOutcome {
  std::vector<std::string> left;     // records that could not be undone
  std::int32_t saved = 0;            // saved items found in the backup folder
  std::int32_t restored = 0;
  std::int32_t unrestored = 0;       // saved items still in the backup folder
};

// release_record is called once everything but the remaining folders has been
// tried: the stopped-run record, which lies in the installation folder, can go
// then, and the folders are tried once more after it.
UndoOutcome undo_run(const UndoPlan& plan, const RemoveRegistration& remove_registration,
                     const std::function<void()>& release_record);

// Rolls this run back: the journal is replaced by the records that could not
// be undone, the restored and unrestored counts are set, and unless the run
// is silent the report is shown.
void rollback(InstallerSettings& settings, const RemoveRegistration& remove_registration,
              const std::function<void()>& release_record);

// The saved items that are still in the backup folder.
std::vector<SavedItem> saved_items_present(const BackupState& backup);

// Asks whether to roll back a failed installation; true for Yes.
bool ask_rollback(const InstallerSettings& settings);

// Shows the report for the journal as it is now and the backup counts.
void show_rollback_report(const InstallerSettings& settings, std::int32_t saved);
