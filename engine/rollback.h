#pragma once
// The rollback: undoes an installation from its journal, or a stopped run
// from its record, and puts back what it moved into the backup folder. Files
// go first (newest first), then earlier links and journals get their old
// bytes back, then the saved files come back, then folders (deepest, newest
// first), then registrations. A record whose file or folder is gone already
// counts as undone. Only what the run itself saved is moved back, and only
// the folders it made are removed, and only when empty.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/settings.h"

class WriteAhead;

// Removes one uninstall registration by key name; true when it is gone.
using RemoveRegistration = std::function<bool(const std::string& key)>;

struct UndoPlan {
  std::vector<std::string> records;  // "DIR:", "FILE:", "APP:" in the order made
  std::string backup_dir;
  BackupState backup;
  // Files of earlier installations that the run changed in place.
  std::map<std::string, std::string> links_before;       // path -> bytes to write back
  std::map<std::string, std::uint64_t> journals_before;  // path -> length to cut back to
};

struct UndoOutcome {
  std::vector<std::string> left;     // records that could not be undone
  std::int32_t saved = 0;            // saved items found in the backup folder
  std::int32_t restored = 0;
  std::int32_t unrestored = 0;       // saved items still in the backup folder
};

// Undoes the plan. Before a saved file goes back to its place, the run's
// "FILE:" announcement of that place is withdrawn in ahead (when given): an
// undo that is itself stopped, and done again, must not take the restored
// file for the run's own.
UndoOutcome undo_run(const UndoPlan& plan, const RemoveRegistration& remove_registration, WriteAhead* ahead);

// Rolls this run back: the journal is replaced by the records that could not
// be undone, the restored and unrestored counts are set, and unless the run
// is silent the report is shown.
void rollback(InstallerSettings& settings, const RemoveRegistration& remove_registration);

// The saved items that are still in the backup folder.
std::vector<SavedItem> saved_items_present(const BackupState& backup);

// Asks whether to roll back a failed installation; true for Yes.
bool ask_rollback(const InstallerSettings& settings);

// Shows the report for the journal as it is now and the backup counts.
void show_rollback_report(const InstallerSettings& settings, std::int32_t saved);
