#include "engine/rollback.h"

#include <windows.h>

#include "core/message_box.h"
#include "engine/journal.h"
#include "engine/rollback_text.h"
#include "engine/tree_removal.h"

namespace {

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool delete_installed_file(const std::string& path) {
  return DeleteFileA(path.c_str()) || is_gone_error(GetLastError());
}

// Moves a saved item back with the attributes it had. Only into a free place:
// whatever is there now was not put there by this run, or the journal undo
// would have removed it.
bool restore_item(const SavedItem& item) {
  if (exists(item.original)) return false;
  const DWORD attributes = GetFileAttributesA(item.saved.c_str());
  SetFileAttributesA(item.saved.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  if (MoveFileA(item.saved.c_str(), item.original.c_str())) {
    SetFileAttributesA(item.original.c_str(), attributes);
    return true;
  }
  SetFileAttributesA(item.saved.c_str(), attributes);
  return false;
}

template <typename Undo>
void undo_kind(const std::vector<std::string>& records, std::string_view prefix, Undo undo,
               std::vector<std::string>& left) {
  for (auto r = records.rbegin(); r != records.rend(); ++r) {
    if (has_prefix(*r, prefix) && !undo(r->substr(prefix.size()))) left.push_back(*r);
  }
}

}  // namespace

std::vector<SavedItem> saved_items_present(const BackupState& backup) {
  std::vector<SavedItem> present;
  for (const SavedItem& item : backup.items) {
    if (exists(item.saved)) present.push_back(item);
  }
  return present;
}

UndoOutcome undo_run(const UndoPlan& plan, const RemoveRegistration& remove_registration,
                     const std::function<void()>& release_record) {
  UndoOutcome outcome;
  std::vector<std::string> files_left, folders_left, registrations_left;
  undo_kind(plan.records, record::file, delete_installed_file, files_left);

  // A stopped run may have announced a move it never made: then nothing
  // lies at the saved path and the original never left its place.
  for (auto item = plan.backup.items.rbegin(); item != plan.backup.items.rend(); ++item) {
    if (!exists(item->saved)) continue;
    ++outcome.saved;
    if (restore_item(*item)) ++outcome.restored;
  }
  outcome.unrestored = static_cast<std::int32_t>(saved_items_present(plan.backup).size());

  undo_kind(plan.records, record::dir, remove_folder, folders_left);
  undo_kind(
      plan.records, record::app,
      [&](const std::string& key) { return remove_registration && remove_registration(key); }, registrations_left);
  for (auto d = plan.backup.created_dirs.rbegin(); d != plan.backup.created_dirs.rend(); ++d) remove_folder(*d);
  if (plan.backup.folder_created) remove_folder(plan.backup_dir);

  if (release_record) release_record();
  std::vector<std::string> still;
  for (const std::string& r : folders_left) {
    if (!remove_folder(r.substr(record::dir.size()))) still.push_back(r);
  }

  outcome.left = files_left;
  outcome.left.insert(outcome.left.end(), still.begin(), still.end());
  outcome.left.insert(outcome.left.end(), registrations_left.begin(), registrations_left.end());
  return outcome;
}

void rollback(InstallerSettings& settings, const RemoveRegistration& remove_registration,
              const std::function<void()>& release_record) {
  settings.journal.set_observer(nullptr);
  const UndoPlan plan{read_records(settings.journal), settings.backup_dir, settings.backup};
  const UndoOutcome outcome = undo_run(plan, remove_registration, release_record);
  settings.journal.done();
  settings.journal.init();
  for (const std::string& r : outcome.left) settings.journal.add(r);
  settings.backups.restored = outcome.restored;
  settings.backups.unrestored = outcome.unrestored;
  if (!settings.silent) show_rollback_report(settings, settings.backups.saved);
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
