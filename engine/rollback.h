#pragma once
// The rollback of this run: its journal and what it saved, undone through the
// one undo engine (engine/undo_plan.h, engine/undo.h) as every undo is: files
// first (newest first), then the saved files come back, then folders
// (deepest, newest first), then registrations. A record whose file or folder
// is gone already counts as undone. Only what the run itself saved is moved
// back, and only the folders it made are removed, and only when empty.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/settings.h"
#include "engine/recorded_run.h"
#include "engine/undo.h"

struct InstallationPlaces;

// This run as the undo sees it: its journal, its backup folder with what it
// saved there, and the start-menu folders it uses.
RecordedRun this_run(const InstallerSettings& settings);

// Rolls this run back: the journal is replaced by the records that could not
// be undone, and the restored and unrestored counts are set. context gives
// the registry, the held saved files and the run's record. Unless the run is
// silent, the report is shown.
UndoOutcome rollback(InstallerSettings& settings, const InstallationPlaces& places, const UndoContext& context);

// The saved items that are still in the backup folder.
std::vector<SavedItem> saved_items_present(const BackupState& backup);

// Asks whether to roll back a failed installation; true for Yes.
bool ask_rollback(const InstallerSettings& settings);

// Shows the report for the journal as it is now and the backup counts.
void show_rollback_report(const InstallerSettings& settings, std::int32_t saved);
