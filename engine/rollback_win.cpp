#include "engine/rollback.h"

#include <windows.h>

#include "core/message_box.h"
#include "core/win_handle.h"
#include "core/write_ahead.h"
#include "core/journal.h"
#include "engine/rollback_text.h"
#include "engine/run_record.h"
#include "engine/tree_removal.h"

namespace {

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool delete_installed_file(const std::string& path) {
  return DeleteFileA(path.c_str()) || is_gone_error(GetLastError());
}

// The whole file, as it was (a link of an earlier installation).
bool write_whole_file(const std::string& path, const std::string& bytes) {
  const WinHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// An earlier installation's journal gets back the length it had.
void cut_back(const std::string& path, std::uint64_t length) {
  const WinHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) <= length) return;
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(length);
  if (SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) SetEndOfFile(file.get());
}

// Moves a saved item back with the attributes it had. Only into a free place:
// whatever is there now was not put there by this run, or the journal undo
// would have removed it.
bool restore_item(const SavedItem& item) {
  if (exists(item.original)) return false;
  const DWORD saved = GetFileAttributesA(item.saved.c_str());
  const DWORD attributes = item.attributes ? item.attributes : saved;
  SetFileAttributesA(item.saved.c_str(), saved & ~DWORD{FILE_ATTRIBUTE_READONLY});
  if (MoveFileA(item.saved.c_str(), item.original.c_str())) {
    SetFileAttributesA(item.original.c_str(), attributes);
    return true;
  }
  SetFileAttributesA(item.saved.c_str(), saved);
  return false;
}

// Whether a "FILE:" record of path could not be undone: the file there is
// the run's own.
bool left_in_place(const std::vector<std::string>& files_left, const std::string& path) {
  for (const std::string& r : files_left) {
    if (r.size() == record::file.size() + path.size() && r.compare(record::file.size(), path.size(), path) == 0) {
      return true;
    }
  }
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

UndoOutcome undo_run(const UndoPlan& plan, const RemoveRegistration& remove_registration, WriteAhead* ahead) {
  UndoOutcome outcome;
  std::vector<std::string> files_left, folders_left, registrations_left;
  for (auto r = plan.records.rbegin(); r != plan.records.rend(); ++r) {
    if (!has_prefix(*r, record::file)) continue;
    const std::string path = r->substr(record::file.size());
    // A link that was there before comes back as it was, not deleted.
    if (plan.links_before.count(path)) continue;
    if (!delete_installed_file(path)) files_left.push_back(*r);
  }
  for (const auto& [path, bytes] : plan.links_before) {
    if (!write_whole_file(path, bytes)) files_left.push_back(std::string(record::file) + path);
  }
  for (const auto& [path, length] : plan.journals_before) cut_back(path, length);

  // A stopped run may have announced a move it never made: then nothing
  // lies at the saved path and the original never left its place.
  for (auto item = plan.backup.items.rbegin(); item != plan.backup.items.rend(); ++item) {
    if (!exists(item->saved)) {
      // Stopped before the move, the file may have lost its read-only
      // attribute already, which the move needs cleared.
      if (item->attributes && exists(item->original) && !left_in_place(files_left, item->original)) {
        SetFileAttributesA(item->original.c_str(), item->attributes);
      }
      continue;
    }
    ++outcome.saved;
    if (ahead) ahead->withdraw(std::string(record::file) + item->original);
    if (restore_item(*item)) ++outcome.restored;
  }
  outcome.unrestored = static_cast<std::int32_t>(saved_items_present(plan.backup).size());

  undo_kind(plan.records, record::dir, remove_folder, folders_left);
  undo_kind(
      plan.records, record::app,
      [&](const std::string& key) { return remove_registration && remove_registration(key); }, registrations_left);
  for (auto d = plan.backup.created_dirs.rbegin(); d != plan.backup.created_dirs.rend(); ++d) remove_folder(*d);

  outcome.left = files_left;
  outcome.left.insert(outcome.left.end(), folders_left.begin(), folders_left.end());
  outcome.left.insert(outcome.left.end(), registrations_left.begin(), registrations_left.end());
  return outcome;
}

void rollback(InstallerSettings& settings, const RemoveRegistration& remove_registration) {
  UndoPlan plan;
  plan.records = read_records(settings.journal);
  plan.backup_dir = settings.backup_dir;
  plan.backup = settings.backup;
  const UndoOutcome outcome = undo_run(plan, remove_registration, settings.run_record);
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
