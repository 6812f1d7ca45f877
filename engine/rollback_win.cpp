#include "engine/rollback.h"

#include <windows.h>

#include "core/journal.h"
#include "core/message_box.h"
#include "engine/places.h"
#include "engine/rollback_text.h"
#include "engine/undo_plan.h"

RecordedRun this_run(const InstallerSettings& settings) {
  RecordedRun run;
  for (std::string& r : read_records(settings.journal)) {
    if (has_prefix(r, record::backup_dir)) continue;  // the backup folder is the run's own
    run.records.push_back(std::move(r));
  }
  run.backup_dir = settings.backup_dir;
  run.saved = settings.backup.items;
  run.backup_dirs_made = settings.backup.created_dirs;
  for (const std::string* menu : {&settings.start_menu_dir, &settings.uninstall_menu_dir}) {
    if (!menu->empty()) run.menu_dirs.push_back(*menu);
  }
  return run;
}

std::vector<SavedItem> saved_items_present(const BackupState& backup) {
  std::vector<SavedItem> present;
  for (const SavedItem& item : backup.items) {
    if (GetFileAttributesA(item.saved.c_str()) != INVALID_FILE_ATTRIBUTES) present.push_back(item);
  }
  return present;
}

UndoOutcome rollback(InstallerSettings& settings, const InstallationPlaces& places, const UndoContext& context) {
  const UndoPlan plan = plan_undo({this_run(settings)}, places, RecordSource::this_run);
  UndoOutcome outcome = carry_out(plan, context);
  settings.journal.done();
  settings.journal.init();
  // A record the plan refused was not this run's to undo: it stays listed.
  for (const RefusedRecord& r : plan.refused) {
    if (has_prefix(r.record, record::file) || has_prefix(r.record, record::dir) || has_prefix(r.record, record::app)) {
      settings.journal.add(r.record);
    }
  }
  for (const std::string& r : outcome.records_left) settings.journal.add(r);
  settings.backups.restored = outcome.restored;
  settings.backups.unrestored = outcome.unrestored;
  if (!settings.silent) show_rollback_report(settings, settings.backups.saved);
  return outcome;
}

bool ask_rollback(const InstallerSettings& settings) {
  return show_message_text(rollback_question_caption, rollback_question(settings.german()),
                           MB_YESNO | MB_ICONERROR) == IDYES;
}

void show_rollback_report(const InstallerSettings& settings, std::int32_t saved) {
  const JournalCounts left = count_records(settings.journal);
  RollbackNumbers n;
  n.saved = saved;
  n.restored = settings.backups.restored;
  n.unrestored = settings.backups.unrestored;
  n.not_saved = settings.backups.not_saved;
  n.files_left = left.files;
  n.folders_left = left.folders;
  n.registrations_left = left.registrations;
  show_message_text(rollback_report_caption, rollback_report(settings.german(), n), MB_OK | MB_ICONINFORMATION);
}
