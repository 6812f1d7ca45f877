#include "engine/rollback.h"

#include <windows.h>

#include "core/journal.h"
#include "engine/places.h"
#include "engine/undo_plan.h"

RecordedRun this_run(const InstallRun& run) {
  const InstallerSettings& s = run.settings;
  RecordedRun recorded;
  for (std::string& r : read_records(s.journal)) {
    if (has_prefix(r, record::backup_dir)) continue;  // the backup folder is the run's own
    recorded.records.push_back(std::move(r));
  }
  recorded.backup_dir = s.backup_dir;
  recorded.saved = run.backup.items;
  recorded.backup_dirs_made = run.backup.created_dirs;
  for (const std::string* menu : {&s.start_menu_dir, &s.uninstall_menu_dir}) {
    if (!menu->empty()) recorded.menu_dirs.push_back(*menu);
  }
  return recorded;
}

std::vector<SavedItem> saved_items_present(const BackupState& backup) {
  std::vector<SavedItem> present;
  for (const SavedItem& item : backup.items) {
    if (GetFileAttributesA(item.saved.c_str()) != INVALID_FILE_ATTRIBUTES) present.push_back(item);
  }
  return present;
}

UndoOutcome rollback(InstallRun& run, const InstallationPlaces& places, const UndoContext& context) {
  InstallerSettings& s = run.settings;
  const UndoPlan plan = plan_undo({this_run(run)}, places, RecordSource::this_run);
  UndoOutcome outcome = carry_out(plan, context);
  s.journal.done();
  s.journal.init();
  // A record the plan refused was not this run's to undo: it stays listed.
  for (const RefusedRecord& r : plan.refused) {
    if (has_prefix(r.record, record::file) || has_prefix(r.record, record::dir) || has_prefix(r.record, record::app)) {
      s.journal.add(r.record);
    }
  }
  for (const std::string& r : outcome.records_left) s.journal.add(r);
  s.backups.restored = outcome.restored;
  s.backups.unrestored = outcome.unrestored;
  return outcome;
}

RollbackNumbers rollback_numbers(const InstallerSettings& settings, std::int32_t saved) {
  const JournalCounts left = count_records(settings.journal);
  RollbackNumbers n;
  n.saved = saved;
  n.restored = settings.backups.restored;
  n.unrestored = settings.backups.unrestored;
  n.not_saved = settings.backups.not_saved;
  n.files_left = left.files;
  n.folders_left = left.folders;
  n.registrations_left = left.registrations;
  return n;
}
