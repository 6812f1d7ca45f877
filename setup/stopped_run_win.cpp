// The steps of setup.exe that deal with a run into the same folder that was
// stopped before it ended (setup/setup_sequence.h): finding its record before
// anything is written, and undoing it or leaving it as it is.
#include <windows.h>

#include "core/message_box.h"
#include "core/run_log_file.h"
#include "core/short_string.h"
#include "engine/backup_cleanup.h"
#include "engine/questions.h"
#include "engine/rollback.h"
#include "engine/undo_plan.h"
#include "setup/setup_sequence.h"
#include "system/path_checks.h"

// The silent run settles its folder here; the dialog's OK did it already.
Outcome SetupSequence::find_stopped_run() {
  if (folder_ == Folder::unsettled) folder_ = settle_folder();
  if (folder_ == Folder::refused) return Outcome::refused;
  if (folder_ == Folder::no_space) return Outcome::disk_full;
  return Outcome::go_on;
}

// A stopped run's record in the way, or else the write test (the first step
// that changes anything, which begins this run's record). Every check of
// the folder's name comes before.
SetupSequence::Folder SetupSequence::settle_folder() {
  if (look_for_stopped_run()) {
    shell_.log().line("check stopped run: a run into this folder was stopped before it ended; its record is " +
                      stopped_path_);
    return Folder::stopped_run_found;
  }
  // The dialog has made its own checks and the write test when it asks.
  if (!s_.silent) return Folder::probed;
  // A folder beyond 255 characters would be cut, and the cut path names
  // another folder: refused, and so is one too deep for an entry of the
  // payload or for the journal file. A drive too small is found before the
  // write test writes anything.
  const bool names_fit = plan_->fits_below(s_.install_dir) && install_paths_fit(s_, s_.product_folder);
  if (names_fit && drive_too_small()) return Folder::no_space;
  const bool usable = names_fit && paths_usable(s_, registry_, &record_);
  shell_.log().line(usable ? "check folders and write test: usable" : "check folders and write test: refused");
  return usable ? Folder::probed : Folder::refused;
}

// A run into the installation folder that was stopped before it ended left
// its record beside the folder. One that announced nothing is cleared; one
// of a run that was complete (it journaled everything) only had saved files
// left to delete, which goes now. True when a record is left to undo or to
// refuse: nothing is installed over it.
bool SetupSequence::look_for_stopped_run() {
  stopped_.reset();
  const std::optional<LeftRecord> left = record_.left_by_stopped_run(s_.install_dir);
  if (!left) return false;
  stopped_path_ = left->path;
  StoppedRun run;
  if (!left->readable) {
    run.unreadable.push_back("(the record cannot be read, or is larger than any run writes)");
  } else {
    run = parse_run_record(left->bytes);
  }
  if (run.unreadable.empty() && (run.empty() || run.done)) {
    if (run.done) {
      const UndoPlan plan = plan_saved_files_deletion(run, places());
      if (!plan.refused.empty()) {
        stopped_ = std::move(run);
        return true;
      }
      carry_out(plan, undo_context());
      shell_.log().line("check stopped run: it was complete; the files it replaced are deleted");
    }
    if (record_.resume(s_.install_dir)) record_.discard();
    return false;
  }
  stopped_ = std::move(run);
  return true;
}

// A stopped run is undone when the user (or -B) says so; otherwise
// everything stays as it is. Its record must keep to the installation's
// places, or nothing of it is done. The undo appends to that record, so
// that an undo stopped in turn is finished by the next run.
Outcome SetupSequence::undo_stopped_run() {
  if (folder_ != Folder::stopped_run_found) return Outcome::go_on;
  const UndoPlan plan = plan_undo({*stopped_}, places(), RecordSource::stopped_run);
  if (!stopped_->unreadable.empty() || !plan.refused.empty()) return refuse_stopped_run(plan);
  if (!run_.questions->undo_stopped_run(s_.install_dir)) {
    shell_.log().line("stopped run: left as it is");
    return s_.silent ? Outcome::incomplete : Outcome::user_left;
  }
  shell_.log().line("stopped run: undoing it");
  record_.resume(s_.install_dir);
  s_.backup_dir = stopped_->backup_dir;
  run_.backup.items = stopped_->saved;
  run_.backup.created_dirs = stopped_->backup_dirs_made;
  const UndoOutcome outcome = carry_out(plan, undo_context());
  s_.journal.init();
  for (const std::string& r : outcome.records_left) s_.journal.add(r);
  s_.backups.restored = outcome.restored;
  s_.backups.unrestored = outcome.unrestored;
  // Only what was really moved aside counts as saved now.
  run_.backup.items = saved_items_present(run_.backup);
  return after_rollback(outcome, outcome.saved);
}

// Nothing of a record that names a place outside the installation, or that
// cannot be read, is done: it stays for a person to look at.
Outcome SetupSequence::refuse_stopped_run(const UndoPlan& plan) {
  const std::string line = !stopped_->unreadable.empty()
                               ? stopped_->unreadable.front()
                               : plan.refused.front().record + " (" + reason_text(plan.refused.front().why, false) + ")";
  shell_.log().line("stopped run: its record " + stopped_path_ + " is refused, nothing of it is done: " + line);
  for (const RefusedRecord& r : plan.refused) shell_.log().line("refused " + r.record + " (" + reason_text(r.why, false) + ")");
  if (!shell_.quiet()) {
    show_message(Msg::stopped_run_refused, s_.german(), MB_OK | MB_ICONERROR,
                 {s_.install_dir, stopped_path_, cut_short(line)});
  }
  return Outcome::incomplete;
}

// After any rollback or undo: the report, what could not be put back, the
// saved files that stay, and the journal of what was left.
Outcome SetupSequence::after_rollback(const UndoOutcome& outcome, std::int32_t saved) {
  report_rollback(saved);
  finish_backups(run_, true, [] {});
  write_leftovers();
  if (outcome.changed.empty()) return Outcome::rolled_back;
  std::string names;
  for (const std::string& path : outcome.changed) {
    shell_.log().line("not put back: " + path + " (its bytes were changed since it was saved)");
    names += path + "\r\n";
  }
  if (!shell_.quiet()) show_message(Msg::saved_files_not_put_back, s_.german(), MB_OK | MB_ICONWARNING, {names});
  return Outcome::saved_files_changed;
}

// What a rollback put back and what it left, in the log, and unless the
// run is silent in the report.
void SetupSequence::report_rollback(std::int32_t saved) {
  shell_.log().line("rollback: " + std::to_string(s_.backups.restored) + " of " + std::to_string(saved) +
                    " replaced files put back, " + std::to_string(s_.backups.unrestored) +
                    " left in the backup folder " + s_.backup_dir);
  for (const std::string& r : read_records(s_.journal)) shell_.log().line("rollback: could not undo " + r);
  if (s_.silent) return;
  show_message_text(caption(Msg::rollback_done, s_.german()),
                    rollback_report(s_.german(), rollback_numbers(s_, saved)), MB_OK | MB_ICONINFORMATION);
}
