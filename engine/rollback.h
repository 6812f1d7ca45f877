#pragma once
// The rollback of this run: its journal and what it saved, undone through the
// one undo engine (engine/undo_plan.h, engine/undo.h) as every undo is: files
// first (newest first), then the saved files come back, then folders
// (deepest, newest first), then registrations. A record whose file or folder
// is gone already counts as undone. Only what the run itself saved is moved
// back, and only the folders it made are removed, and only when empty.

#include <vector>

#include "core/messages.h"
#include "engine/install_run.h"
#include "engine/recorded_run.h"
#include "engine/undo.h"

struct InstallationPlaces;

// This run as the undo sees it: its journal, its backup folder with what it
// saved there, and the start-menu folders it uses.
RecordedRun this_run(const InstallRun& run);

// Rolls this run back: the journal is replaced by the records that could not
// be undone, and the restored and unrestored counts are set. context gives
// the registry, the held saved files and the run's record.
UndoOutcome rollback(InstallRun& run, const InstallationPlaces& places, const UndoContext& context);

// The saved items that are still in the backup folder.
std::vector<SavedItem> saved_items_present(const BackupState& backup);

// The numbers of the rollback report, from the journal as it is now and the
// backup counts; saved: the saved files the rollback found.
RollbackNumbers rollback_numbers(const InstallerSettings& settings, std::int32_t saved);
