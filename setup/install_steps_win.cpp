// The steps of setup.exe that change the machine (setup/setup_sequence.h):
// the files with their failure branch and the saved files' clean-up, then
// what an installation that stays gets. Everything is announced in the run's
// record before it is made, so that a run stopped at any moment can be
// undone by the next one; the record goes once the journal file is written.
#include <windows.h>

#include "core/journal.h"
#include "core/message_box.h"
#include "core/name_case.h"
#include "core/run_log_file.h"
#include "engine/backup_cleanup.h"
#include "engine/backup_list.h"
#include "engine/extract.h"
#include "engine/journal_file.h"
#include "engine/questions.h"
#include "engine/rollback.h"
#include "setup/setup_sequence.h"
#include "system/path_checks.h"
#include "system/shortcuts.h"

namespace {

std::string error_text(unsigned long error) {
  const std::string message = system_error_message(error);
  return "error " + std::to_string(error) + (message.empty() ? "" : ": " + message);
}

}  // namespace

// The files; when they failed, the rollback the user (or -B) asks for; then
// what becomes of the files this run saved.
Outcome SetupSequence::install() {
  // The write probe began the record; no installation goes without one.
  if (!record_.is_open()) return Outcome::refused;
  record_.checkpoint();
  if (!s_.silent) shell_.show_progress(Msg::install_progress_title, Msg::install_progress_label, s_.product_title,
                                       s_.german());
  s_.result_code = install_payload(layout_, *source_, s_.install_dir, s_.verify_files, run_, &written_);
  shell_.end_progress();
  if (!source_->problem().ok()) return payload_failed();
  if (record_.failed()) report_record_failure();
  files_failed_ = s_.result_code > 0 || record_.failed();
  shell_.log().line(files_failed_ ? "files: " + std::to_string(s_.result_code) + " failed"
                                  : std::string("files: all written"));
  if (files_failed_ && run_.questions->roll_back_failed_installation()) {
    shell_.log().line("rollback of the failed installation");
    return after_rollback(roll_back(), s_.backups.saved);
  }
  std::optional<UndoOutcome> cancelled;
  const CleanupResult cleanup = finish_backups(run_, false, [this, &cancelled] {
    cancelled = roll_back();
    report_rollback(s_.backups.saved);
  });
  if (cleanup == CleanupResult::rolled_back) {
    shell_.log().line("replaced files: the installation was rolled back");
    write_leftovers();
    return cancelled && !cancelled->changed.empty() ? Outcome::saved_files_changed : Outcome::rolled_back;
  }
  if (!s_.backup_dir.empty()) {
    shell_.log().line(cleanup == CleanupResult::go_on_then_delete
                          ? "replaced files: deleted with the backup folder " + s_.backup_dir
                          : "replaced files: kept in " + s_.backup_dir);
  }
  delete_saved_after_journal_ = cleanup == CleanupResult::go_on_then_delete;
  return Outcome::go_on;
}

// A payload whose data failed its check never leaves half a game, whatever
// -B says: what was written is rolled back, and the run ends as one whose
// input was damaged.
Outcome SetupSequence::payload_failed() {
  const VolumeProblem problem = source_->problem();
  shell_.log().line("files: the data volume " + problem.path + " failed its check (" +
                    message(volume_reason(problem.fault), false) + "); the installation is rolled back");
  const Outcome undone = after_rollback(roll_back(), s_.backups.saved);
  return undone == Outcome::saved_files_changed ? undone : Outcome::input_damaged;
}

// What an installation that stays gets besides its files: the shortcuts,
// announced with the start-menu folders they go to; the entry, only when the
// uninstaller it names was installed whole; the journal file. Without its
// journal the installation cannot be uninstalled: not a success. Its record
// stays, so that the next run can undo it, and an entry written for it is
// taken back, since its uninstaller would find no journal.
Outcome SetupSequence::finish() {
  bool announced = true;
  for (const std::string* menu : {&s_.start_menu_dir, &s_.uninstall_menu_dir}) {
    if (!menu->empty() && !s_.no_start_menu) {
      announced = announced && record_.announce(std::string(run_record::menu) + *menu);
    }
  }
  if (announced) create_all_shortcuts(run_);
  if (!uninstaller_written()) {
    shell_.log().line("Add/Remove Programs entry: none, since the uninstaller " + s_.uninstaller_path +
                      " was not installed whole");
  } else if (announced) {
    entry_before_ = register_uninstall_entry(run_, registry_, checksum_,
                                             layout_.data_length, release_);
  }
  shell_.log().line(std::string("shortcuts made; Add/Remove Programs entry: ") +
                    (count_records(s_.journal).registrations > 0 ? "written" : "none"));

  if (!write_final_journal()) {
    if (record_.failed()) shell_.log().failure("could not write the run's record " + record_.path(), record_.error());
    shell_.log().failure("could not write the journal " + journal_file_path() + "; the installation stays",
                         journal_error_);
    if (entry_before_ && restore_uninstall_key(registry_, *entry_before_)) {
      shell_.log().line("Add/Remove Programs entry: taken back, since the installation has no journal");
    }
    if (!shell_.quiet()) {
      show_message(Msg::install_incomplete, s_.german(), MB_OK | MB_ICONERROR, {journal_file_path()});
    }
    return Outcome::incomplete;
  }
  shell_.log().line("wrote the journal " + journal_file_path());
  if (!record_.announce(run_record::done)) {
    // The journal is complete: an undo of this run would find it so.
    shell_.log().failure("could not write the end of the run's record " + record_.path(), record_.error());
  }
  if (delete_saved_after_journal_) delete_saved_files(run_.backup, &saved_files_);
  saved_files_.release();
  record_.discard();
  return Outcome::go_on;
}

// This run's rollback through the one undo engine.
UndoOutcome SetupSequence::roll_back() { return rollback(run_, places(), undo_context()); }

void SetupSequence::report_record_failure() {
  shell_.log().failure("could not write the run's record " + record_.path() + "; nothing was changed after that",
                       record_.error());
  if (shell_.quiet()) return;
  show_message(Msg::record_failed, s_.german(), MB_OK | MB_ICONERROR, {record_.path(), error_text(record_.error())});
}

// What a rollback could not undo, and a kept backup folder, stay recorded
// for the uninstaller, next to it. A complete rollback writes no journal
// file, and none brings back the folders the rollback removed. Then the
// run is over, and so is its record.
void SetupSequence::write_leftovers() {
  if (!read_records(s_.journal).empty()) {
    write_journal_file(s_.journal, journal_file_path(), &record_, JournalFolder::existing_only);
  }
  saved_files_.release();
  record_.discard();
}

// The journal file's folder goes into the record and the journal, and so
// does the backup list beside it: what the uninstall puts back.
bool SetupSequence::write_final_journal() {
  bool keeps = false;
  for (const std::string& r : read_records(s_.journal)) keeps = keeps || has_prefix(r, record::backup_dir);
  const std::vector<SavedItem> kept = keeps ? saved_items_present(run_.backup) : std::vector<SavedItem>();
  const bool written = write_journal_file(
      s_.journal, journal_file_path(), &record_, JournalFolder::make, [this, kept](std::uint64_t journal_end) {
        return backup_list_lines(kept, kept.empty() ? std::vector<std::string>() : run_.backup.created_dirs,
                                 run_.backup.links_replaced, journal_end);
      });
  journal_error_ = written ? 0 : GetLastError();
  return written;
}

// Whether the payload's uninstaller, at the product's uninstaller path, was
// written whole (and read back as packed, with -F).
bool SetupSequence::uninstaller_written() const {
  std::string wanted = s_.uninstaller_path;
  if (!wanted.empty() && wanted.front() == '\\') wanted.erase(0, 1);
  wanted = fold_name_case(wanted);
  std::int32_t index = -1;
  for (const PayloadEntry& entry : layout_.entries) {
    if (entry.kind == EntryKind::file && fold_name_case(entry.name) == wanted) index = entry.index;
  }
  for (const std::int32_t w : written_) {
    if (w == index) return true;
  }
  return false;
}

// Not cut to 255 characters: write_journal_file refuses a path whose record
// would not fit rather than write the file somewhere else.
std::string SetupSequence::journal_file_path() const { return ::journal_file_path(s_); }
