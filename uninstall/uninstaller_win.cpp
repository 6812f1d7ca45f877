#include "uninstall/uninstaller.h"

#include <windows.h>

#include "core/file_bytes.h"
#include "core/message_box.h"
#include "core/name_case.h"
#include "core/own_program.h"
#include "core/paths.h"
#include "core/protected_folders.h"
#include "engine/backup_list.h"
#include "engine/journal_file.h"
#include "engine/places.h"
#include "engine/run_record.h"
#include "engine/tree_removal.h"
#include "engine/undo.h"
#include "resources/resource_ids.h"
#include "system/shortcuts.h"
#include "system/special_folders.h"
#include "system/uninstall_key.h"
#include "system/uninstall_registration.h"
#include "ui/strings.h"
#include "uninstall/second_phase.h"

namespace {

// Places among the seven product texts.
constexpr int product_folder_text = 0;
constexpr int uninstaller_text = 2;
constexpr int product_title_text = 3;
constexpr int uninstall_title_text = 4;

// A journal larger than this is none the setup wrote.
constexpr std::uint64_t journal_limit = 256u << 20;

bool names(const std::string& journal, const std::string& path) {
  return fold_name_case(journal).find(fold_name_case("FILE:" + path + "\r\n")) != std::string::npos;
}

}  // namespace

Uninstaller::Uninstaller(const UninstallOptions& options, const FolderTable& folders, ProgramShell& shell)
    : o_(options),
      folders_(folders),
      shell_(shell),
      registry_(load_shell_registry_helpers()),
      checksum_(code_seed),
      hooks_(test_hooks()) {}

Outcome Uninstaller::run() {
  // Its own path as the file system names it: started by a short (8.3) path
  // it would otherwise take another spelling for its folder.
  program_ = long_path(o_.second_phase ? o_.original_path : own_program_path());
  journal_ = join_path(parent_dir(program_), journal_file_name);
  backup_list_ = join_path(parent_dir(program_), backup_list_name);
  shell_.log().line("uninstaller: " + program_ +
                    (o_.second_phase ? " (run from its copy " + own_program_path() + ")" : ""));
  Outcome outcome = Outcome::go_on;
  for (Outcome (Uninstaller::*step)() :
       {&Uninstaller::check_journal, &Uninstaller::ask, &Uninstaller::remove, &Uninstaller::report}) {
    outcome = (this->*step)();
    if (outcome != Outcome::go_on) break;
  }
  return outcome;
}

// A journal with no record in it undoes nothing: not a success, and it stays,
// with the uninstaller, for the installation it belongs to.
Outcome Uninstaller::check_journal() {
  const std::optional<std::string> bytes = read_file_bytes(journal_, journal_limit);
  if (!bytes) shell_.log().failure("check journal " + journal_ + ": missing or cannot be read", GetLastError());
  if (bytes) runs_ = read_journal_runs(*bytes, read_file_bytes(backup_list_, journal_limit).value_or(""), journal_);
  const bool empty = bytes && runs_.records == 0;
  if (!bytes || empty) {
    if (empty) shell_.log().line("check journal " + journal_ + ": it holds no record the setup writes; nothing was removed");
    if (!o_.shell.quiet) {
      show_message(empty ? Msg::uninstall_journal_empty : Msg::uninstall_journal_missing, o_.german(),
                   MB_OK | MB_ICONERROR, {journal_});
    }
    return Outcome::input_damaged;
  }
  journal_bytes_ = *bytes;
  places_ = places();
  plan_ = plan_undo(runs_.runs, *places_, RecordSource::journal);
  report_.refused = runs_.unreadable;
  report_.refused.insert(report_.refused.end(), plan_.refused.begin(), plan_.refused.end());
  shell_.log().line("check journal " + journal_ + ": " + std::to_string(plan_.steps.size()) + " steps, " +
                    std::to_string(report_.refused.size()) + " records refused");
  shell_.log().line("installation folder: " + places_->install_dir);
  for (const RefusedRecord& r : report_.refused) {
    shell_.log().line("refused " + r.record + " (" + reason_text(r.why, false) + ")");
  }
  return Outcome::go_on;
}

Outcome Uninstaller::ask() {
  const std::string title = product_text(product_title_text, o_.language_offset);
  if (o_.silent || show_message_text(title, message(Msg::uninstall_question, o_.german(), {title}),
                                     MB_YESNO | MB_ICONQUESTION) == IDYES) {
    return Outcome::go_on;
  }
  shell_.log().line("the user said No");
  return Outcome::user_left;
}

// The plan carried out; the program, its journal and the backup list go
// last, once this run is over, and only when everything else went and the
// journal was read whole: otherwise an uninstall run again finds them, and
// the entry that starts it.
Outcome Uninstaller::remove() {
  if (!o_.silent) {
    shell_.show_progress(Msg::uninstall_progress_title, Msg::uninstall_progress_label,
                         product_text(product_title_text, o_.language_offset), o_.german());
  }
  StopHook stop(hooks_.stop_at);
  UndoContext context;
  context.remove_entry = [this](const std::string& key) { return take_back_uninstall_key(registry_, key); };
  context.link_is_ours = [dir = places_->install_dir](const std::string& link) { return link_leads_into(link, dir); };
  context.progress = &shell_.progress();
  context.stop = &stop;
  context.skipped = {program_, journal_, backup_list_};
  context.keep_entry_while_left = true;
  report_.outcome = carry_out(plan_, context);
  for (const LeftItem& r : report_.outcome.refused) report_.refused.push_back({r.path, r.why});

  if (!runs_.unreadable.empty()) report_.kept.push_back({journal_, Msg::reason_journal_unreadable});
  // Run in place (no copy could be made in the temporary folder), it cannot
  // delete itself: it goes at the next restart, or it stays.
  if (report_.outcome.left.empty() && report_.kept.empty() && !o_.second_phase) {
    if (MoveFileExA(program_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
      report_.removed_at_restart = program_;
      shell_.log().line("the uninstaller " + program_ + " goes at the next restart");
    } else {
      report_.kept.push_back({program_, Msg::reason_uninstaller_stays});
    }
  }
  finishing_ = report_.outcome.left.empty() && report_.kept.empty();
  if (finishing_) {
    // Counted now, removed after the report: the journal, the backup list,
    // this program when the journal names it, and the folders that held them.
    report_.outcome.files += 1 + (names(journal_bytes_, backup_list_) ? 1 : 0) +
                             (o_.second_phase && names(journal_bytes_, program_) ? 1 : 0);
    report_.outcome.folders += static_cast<std::int32_t>(report_.outcome.retry_folders.size());
  }
  retry_folders_ = report_.outcome.retry_folders;
  return Outcome::go_on;
}

Outcome Uninstaller::report() {
  const UndoOutcome& o = report_.outcome;
  const Outcome outcome = !o.left.empty() || !report_.kept.empty() ? Outcome::incomplete
                          : !o.changed.empty()                     ? Outcome::saved_files_changed
                          : !report_.refused.empty()               ? Outcome::refused
                                                                   : Outcome::done;
  shell_.log().line("removed " + std::to_string(o.files) + " files and " + std::to_string(o.folders) +
                    " folders, put back " + std::to_string(o.restored) + " replaced files; " +
                    std::to_string(o.left.size()) + " left");
  for (const std::string& changed : o.changed) {
    shell_.log().line("not put back: " + changed + " (its bytes were changed since it was saved)");
  }
  for (const LeftItem& kept : report_.kept) {
    shell_.log().line("kept " + kept.path + " (" + reason_text(kept.why, false, kept.error) + ")");
  }
  if (o_.shell.quiet) return outcome;
  // The progress window stays behind the report, its bar full.
  const Msg heading = outcome == Outcome::done ? Msg::uninstall_complete : Msg::uninstall_incomplete;
  show_message_text(caption(heading, o_.german()), uninstall_report(o_.german(), report_),
                    MB_OK | (outcome == Outcome::done ? MB_ICONINFORMATION : MB_ICONWARNING));
  return outcome;
}

void Uninstaller::remove_itself() const {
  if (!finishing_) return;
  if (o_.second_phase && !DeleteFileA(program_.c_str())) {
    MoveFileExA(program_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  DeleteFileA(backup_list_.c_str());
  DeleteFileA(journal_.c_str());
  for (const std::string& folder : retry_folders_) remove_folder(folder);
}

InstallationPlaces Uninstaller::places() const {
  ProductNames names;
  for (const std::int32_t offset : {language_english, language_german}) {
    names.product_folders.push_back(product_text(product_folder_text, offset));
    names.uninstaller_paths.push_back(product_text(uninstaller_text, offset));
    names.link_titles.push_back(product_text(product_title_text, offset));
    names.link_titles.push_back(product_text(uninstall_title_text, offset));
  }
  return make_installation_places(
      installation_folder(), folders_, names, other_shell_folders(),
      [this](std::string_view folder, std::string_view dir) { return uninstall_key_name(checksum_, folder, dir); });
}

// The program's path less the product's uninstaller path (of either
// language); its own folder when neither fits.
std::string Uninstaller::installation_folder() const {
  const std::string program = fold_name_case(program_);
  for (const std::int32_t offset : {language_english, language_german}) {
    std::string tail = product_text(uninstaller_text, offset);
    if (tail.empty()) continue;
    if (tail.front() != '\\') tail.insert(0, 1, '\\');
    const std::string folded = fold_name_case(tail);
    if (program.size() > folded.size() && program.compare(program.size() - folded.size(), folded.size(), folded) == 0) {
      return program_.substr(0, program_.size() - folded.size()) + "\\";
    }
  }
  return parent_dir(program_) + "\\";
}

std::string Uninstaller::product_text(int text, std::int32_t offset) const {
  return load_localised_string(IDS_PRODUCT_FOLDER + text + offset);
}
