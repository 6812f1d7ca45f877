#include "setup/run_sequence.h"

#include <windows.h>

#include <memory>
#include <optional>

#include "core/exit_codes.h"
#include "core/folders.h"
#include "core/gdi_object.h"
#include "core/journal.h"
#include "core/message_box.h"
#include "core/name_case.h"
#include "core/options.h"
#include "core/paths.h"
#include "core/protected_folders.h"
#include "core/run_log.h"
#include "core/run_log_file.h"
#include "core/settings.h"
#include "core/short_string.h"
#include "core/silent_paths.h"
#include "engine/backup_cleanup.h"
#include "engine/backup_list.h"
#include "engine/extract.h"
#include "engine/install_plan.h"
#include "engine/journal_file.h"
#include "engine/places.h"
#include "engine/rollback.h"
#include "engine/rollback_text.h"
#include "engine/run_record.h"
#include "engine/run_record_file.h"
#include "engine/saved_files.h"
#include "engine/test_hooks.h"
#include "engine/undo.h"
#include "engine/undo_plan.h"
#include "payload/digest.h"
#include "payload/payload_resource.h"
#include "resources/resource_ids.h"
#include "setup/run_messages.h"
#include "system/com_init.h"
#include "system/default_paths.h"
#include "system/path_checks.h"
#include "system/shell_registry.h"
#include "system/shortcuts.h"
#include "system/special_folders.h"
#include "system/uninstall_key.h"
#include "system/uninstall_registration.h"
#include "ui/progress_window.h"
#include "ui/setup_dialogs.h"
#include "ui/strings.h"

namespace {

// Places among the seven product texts.
constexpr int product_folder_text = 0;
constexpr int uninstaller_text = 2;
constexpr int product_title_text = 3;
constexpr int uninstall_title_text = 4;

// The names of the product's own things in both languages.
ProductNames product_names() {
  ProductNames names;
  for (const std::int32_t offset : {language_english, language_german}) {
    names.product_folders.push_back(load_localised_string(IDS_PRODUCT_FOLDER + product_folder_text + offset));
    names.uninstaller_paths.push_back(load_localised_string(IDS_PRODUCT_FOLDER + uninstaller_text + offset));
    for (const int text : {product_title_text, uninstall_title_text}) {
      names.link_titles.push_back(load_localised_string(IDS_PRODUCT_FOLDER + text + offset));
    }
  }
  return names;
}

std::string error_text(DWORD error) {
  const std::string message = system_error_message(error);
  return "error " + std::to_string(error) + (message.empty() ? "" : ": " + message);
}

class RunSequence {
 public:
  RunSequence(InstallerSettings& settings, Tchecksum& checksum, const ShellRegistry& registry)
      : s_(settings), checksum_(checksum), registry_(registry), hooks_(test_hooks()), record_(hooks_) {}

  int run(const std::vector<std::string>& arguments) {
    parse_options(s_, arguments);
    // A quiet run shows no box of the system's either (a drive without a
    // disk, a crash): it must end by itself, with no one at the screen.
    if (s_.quiet) SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
    open_run_log(log_file_, log_, s_.log_path, s_.quiet, s_.german(), "setup");
    log_.line("setup");
    log_.line(arguments_line(arguments));
    log_.line(setup_options_line(s_));
    const int code = run_steps();
    log_.exit_code(code);
    return code;
  }

 private:
  int run_steps() {
    if (s_.folder_discovery_failed) {
      log_.line("check special folders: the shell could not name them");
      return exit_folder_discovery_failed;
    }
    s_.backup_dir.clear();
    s_.backups = BackupStatistics{};
    s_.journal.init();
    s_.run_record = &record_;
    s_.saved_files = &saved_files_;
    s_.progress = &progress_pair_;

    check_payload();
    load_logo();
    if (!s_.abort) {
      compute_dialog_defaults(s_);
      load_product_texts(language_english);
      names_ = product_names();
    }
    if (!s_.abort) load_product_texts(s_.language_offset);
    if (!s_.abort) choose_paths();
    if (!s_.abort) undo_stopped_run();
    if (!s_.abort) install();

    s_.progress = nullptr;
    s_.saved_files = nullptr;
    s_.run_record = nullptr;
    s_.journal.done();
    return exit_code_;
  }

  // Sets `abort` and remembers the first reason as the exit code.
  void stop(ExitCode code) {
    if (!s_.abort) exit_code_ = code;
    s_.abort = true;
  }

  // Every byte of the payload and every entry's place are checked before
  // anything is written; a container that would not install whole is
  // damaged as far as the user can tell.
  void check_payload() {
    PayloadCheck check = load_payload(checksum_);
    payload_ = std::move(check.payload);
    if (payload_ && plan_installation()) {
      log_.line("check payload: " + std::to_string(payload_->fileset.count()) + " entries, checksums match");
      return;
    }
    log_.line(payload_ ? "check payload: an entry would not install" : "check payload: missing or damaged");
    stop(exit_payload_invalid);
    if (!s_.silent) show_message(s_, checksum_message, MB_OK | MB_ICONERROR);
  }

  // The journal file goes next to the uninstaller, which each language may
  // put elsewhere: no entry may take either place.
  bool plan_installation() {
    plan_.emplace(payload_->fileset);
    if (!plan_->ok()) return false;
    for (const std::int32_t offset : {language_english, language_german}) {
      const std::string uninstaller = load_localised_string(IDS_PRODUCT_FOLDER + uninstaller_text + offset);
      if (!plan_->check_own_file(journal_file_relative_path(uninstaller)).ok()) return false;
      if (!plan_->check_own_file(backup_list_relative_path(uninstaller)).ok()) return false;
      // The links made in the installation folder, replaced by their save.
      for (const int text : {product_title_text, uninstall_title_text}) {
        const std::string title = load_localised_string(IDS_PRODUCT_FOLDER + text + offset);
        if (!plan_->check_own_file(title + ".lnk").ok()) return false;
      }
    }
    return true;
  }

  // A silent run completes the paths itself. An interactive one asks for the
  // language (unless "-L" gave it), reloads the product texts in it and asks
  // for the folders and options; leaving either dialog installs nothing.
  // Every check comes before the write probe, the first step that changes
  // anything, and a folder that a stopped run left to undo gets no probe.
  void choose_paths() {
    if (s_.silent) {
      // "-PC:" names the drive's current folder, not its root.
      if (!s_.install_dir.empty() && !base_folder_usable(s_.install_dir)) {
        log_.line("check base folder " + s_.install_dir + ": not an absolute folder name");
        return stop(exit_paths_unusable);
      }
      complete_silent_paths(s_);
      s_.install_dir = long_path(s_.install_dir);
      log_folders();
      if (is_in_system_folders(s_.install_dir, s_.folders)) {
        log_.line("check installation folder: it lies in the Windows or system folder");
        return stop(exit_paths_unusable);
      }
      if (!backup_folder_usable()) {
        log_.line("check folder for replaced files " + s_.backup_base_dir + ": refused");
        return stop(exit_paths_unusable);
      }
      if (find_stopped_run()) return;
      const bool usable = paths_usable();
      log_.line(usable ? "check folders and write test: usable" : "check folders and write test: refused");
      if (!usable) stop(exit_paths_unusable);
      return;
    }
    SetupDialogs dialogs(
        s_, registry_, logo_.get(), [this](const std::string& install_dir) { return plan_->fits_below(install_dir); },
        [this] { return find_stopped_run(); });
    if (!s_.skip_language_dialog && !dialogs.choose_language()) return stop(exit_user_left);
    load_product_texts(s_.language_offset);
    if (!backup_base_usable(s_.backup_base_dir)) {
      show_message_text(backup_folder_caption, backup_unusable_text(s_.german(), s_.backup_base_dir),
                        MB_OK | MB_ICONERROR);
      return stop(exit_paths_unusable);
    }
    if (is_in_system_folders(s_.backup_base_dir, s_.folders)) {
      show_message_text(backup_folder_caption, backup_in_system_text(s_.german(), s_.backup_base_dir),
                        MB_OK | MB_ICONERROR);
      return stop(exit_paths_unusable);
    }
    s_.backup_base_dir = long_path(s_.backup_base_dir);
    s_.result_code = static_cast<std::int32_t>(dialogs.choose_paths());
    if (s_.result_code < 0) {
      log_.line("the user left a dialog");
      return stop(exit_user_left);
    }
    log_folders();
    log_.line(stopped_ ? "check stopped run: a run into this folder was stopped before it ended"
                       : "check folders and write test: usable");
    progress_ = std::make_unique<ProgressWindow>(s_.product_title + " - Installation",
                                                 s_.german() ? "Installiere:" : "Installing:", logo_.get());
    progress_pair_.set_first(progress_.get());
  }

  void log_folders() {
    log_.line("installation folder: " + s_.install_dir);
    log_.line("start-menu folder: " + s_.start_menu_dir);
    log_.line("uninstall start-menu folder: " + s_.uninstall_menu_dir);
  }

  // Saved files never go into the system's own folders, nor into the
  // installation folder; the folder is named as an installation folder must be.
  bool backup_folder_usable() {
    if (!backup_base_usable(s_.backup_base_dir) || is_in_system_folders(s_.backup_base_dir, s_.folders)) return false;
    s_.backup_base_dir = long_path(s_.backup_base_dir);
    return backup_folder_apart(s_);
  }

  // The installation's places, which every undo keeps to.
  InstallationPlaces places() {
    if (shell_folders_.empty()) shell_folders_ = other_shell_folders();
    return make_installation_places(
        s_.install_dir, s_.folders, names_, shell_folders_,
        [this](std::string_view folder, std::string_view dir) { return uninstall_key_name(checksum_, folder, dir); });
  }

  UndoContext undo_context() {
    UndoContext c;
    c.remove_entry = [this](const std::string& key) { return take_back_uninstall_key(registry_, key); };
    c.restore_entry = [this](const std::string& key, const std::vector<EntryValue>& values) {
      UninstallKeySnapshot earlier{key, true, {}};
      for (const EntryValue& v : values) {
        earlier.values.push_back({v.name, v.type, std::vector<std::uint8_t>(v.data.begin(), v.data.end())});
      }
      return restore_uninstall_key(registry_, earlier);
    };
    c.ahead = &record_;
    c.held = &saved_files_;
    c.progress = &log_;
    return c;
  }

  // A run into the installation folder that was stopped before it ended left
  // its record beside the folder. One that announced nothing is cleared; one
  // of a run that was complete (it journaled everything) only had saved
  // files left to delete, which goes now. True when a record is left to undo
  // or to refuse: nothing is installed over it.
  bool find_stopped_run() {
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
        if (!plan.refused.empty()) return keep_stopped(std::move(run));
        carry_out(plan, undo_context());
        log_.line("check stopped run: it was complete; the files it replaced are deleted");
      }
      if (record_.resume(s_.install_dir)) record_.discard();
      return false;
    }
    return keep_stopped(std::move(run));
  }

  bool keep_stopped(StoppedRun run) {
    stopped_ = std::move(run);
    log_.line("check stopped run: a run into this folder was stopped before it ended; its record is " + stopped_path_);
    return true;
  }

  // A stopped run is undone when the user (or -B) says so; otherwise
  // everything stays as it is. Its record must keep to the installation's
  // places, or nothing of it is done. The undo appends to that record, so
  // that an undo stopped in turn is finished by the next run.
  void undo_stopped_run() {
    if (!stopped_) return;
    end_progress();
    const InstallationPlaces where = places();
    const UndoPlan plan = plan_undo({*stopped_}, where, RecordSource::stopped_run);
    if (!stopped_->unreadable.empty() || !plan.refused.empty()) return refuse_stopped_run(plan);
    const bool undo = s_.silent ? s_.rollback_on_failure
                                : show_message_text(stopped_run_caption, stopped_run_question(s_.german(), s_.install_dir),
                                                    MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
    if (!undo) {
      log_.line("stopped run: left as it is");
      stop(s_.silent ? exit_failed_kept : exit_user_left);
      return;
    }
    log_.line("stopped run: undoing it");
    record_.resume(s_.install_dir);
    s_.backup_dir = stopped_->backup_dir;
    s_.backup.items = stopped_->saved;
    s_.backup.created_dirs = stopped_->backup_dirs_made;
    const UndoOutcome outcome = carry_out(plan, undo_context());
    s_.journal.init();
    for (const std::string& r : outcome.records_left) s_.journal.add(r);
    s_.backups.restored = outcome.restored;
    s_.backups.unrestored = outcome.unrestored;
    // Only what was really moved aside counts as saved now.
    s_.backup.items = saved_items_present(s_.backup);
    log_rollback(outcome.saved);
    if (!s_.silent) show_rollback_report(s_, outcome.saved);
    after_rollback(outcome);
  }

  // Nothing of a record that names a place outside the installation, or
  // that cannot be read, is done: it stays for a person to look at.
  void refuse_stopped_run(const UndoPlan& plan) {
    const std::string line = !stopped_->unreadable.empty() ? stopped_->unreadable.front()
                                                           : plan.refused.front().record + " (" +
                                                                 plan.refused.front().why + ")";
    log_.line("stopped run: its record " + stopped_path_ + " is refused, nothing of it is done: " + line);
    for (const RefusedRecord& r : plan.refused) log_.line("refused " + r.record + " (" + r.why + ")");
    if (!s_.quiet) {
      show_message_text(stopped_run_caption,
                        stopped_run_refused_text(s_.german(), s_.install_dir, stopped_path_, cut_short(line)),
                        MB_OK | MB_ICONERROR);
    }
    stop(exit_failed_kept);
  }

  // The files, the failure branch, the clean-up of the saved files, then the
  // shortcuts, the registration, the journal file and the report.
  // Everything is announced in the run's record before it is made, so that
  // a run stopped at any moment can be undone by the next one. The record
  // goes once the journal file is written; until then the saved files are
  // kept.
  void install() {
    // The write probe began the record; no installation goes without one.
    if (!record_.is_open()) return stop(exit_paths_unusable);
    record_.checkpoint();
    std::vector<std::int32_t> written;
    s_.result_code =
        install_fileset(payload_->fileset, payload_->sums, s_.install_dir, s_.verify_files, s_, &written);
    end_progress();
    if (record_.failed()) report_record_failure();
    const bool failed = s_.result_code > 0 || record_.failed();
    log_.line(failed ? "files: " + std::to_string(s_.result_code) + " failed" : std::string("files: all written"));
    if (failed && !s_.silent) s_.rollback_on_failure = ask_rollback(s_);
    if (failed && s_.rollback_on_failure) {
      log_.line("rollback of the failed installation");
      after_rollback(roll_back());
      return;
    }
    std::optional<UndoOutcome> cancelled;
    const CleanupResult cleanup =
        finish_backups(s_, false, [this, &cancelled] { cancelled = roll_back(); }, &saved_files_);
    log_cleanup(cleanup);
    if (cleanup == CleanupResult::rolled_back) {
      write_leftovers();
      exit_code_ = cancelled && !cancelled->changed.empty() ? exit_saved_files_changed : exit_rolled_back;
      return;
    }
    const std::optional<UninstallKeySnapshot> entry_before = finish_installation(written);
    // Without its journal the installation cannot be uninstalled: not a
    // success. Its record stays, so that the next run can undo it, and an
    // entry written for it is taken back, since its uninstaller would find
    // no journal.
    if (!write_final_journal()) {
      if (record_.failed()) log_.failure("could not write the run's record " + record_.path(), record_.error());
      log_.failure("could not write the journal " + journal_file_path() + "; the installation stays", journal_error_);
      if (entry_before && restore_uninstall_key(registry_, *entry_before)) {
        log_.line("Add/Remove Programs entry: taken back, since the installation has no journal");
      }
      if (!s_.quiet) {
        show_message_text(incomplete_caption, journal_failed_text(s_.german(), journal_file_path()),
                          MB_OK | MB_ICONERROR);
      }
      exit_code_ = exit_failed_kept;
      return;
    }
    log_.line("wrote the journal " + journal_file_path());
    if (!record_.announce(run_record::done)) {
      // The journal is complete: an undo of this run would find it so.
      log_.failure("could not write the end of the run's record " + record_.path(), record_.error());
    }
    if (cleanup == CleanupResult::go_on_then_delete) delete_saved_files(s_.backup, &saved_files_);
    saved_files_.release();
    record_.discard();
    if (failed) {
      log_.line("the failed installation stays");
      exit_code_ = exit_failed_kept;
      return;
    }
    report_success();
  }

  // This run's rollback through the one undo engine.
  UndoOutcome roll_back() {
    const UndoOutcome outcome = rollback(s_, places(), undo_context());
    log_rollback(s_.backups.saved);
    return outcome;
  }

  void report_record_failure() {
    log_.failure("could not write the run's record " + record_.path() + "; nothing was changed after that",
                 record_.error());
    if (s_.quiet) return;
    show_message_text(rollback_question_caption,
                      record_failed_text(s_.german(), record_.path(), error_text(record_.error())),
                      MB_OK | MB_ICONERROR);
  }

  // What a rollback put back and what it left.
  void log_rollback(std::int32_t saved) {
    log_.line("rollback: " + std::to_string(s_.backups.restored) + " of " + std::to_string(saved) +
              " replaced files put back, " + std::to_string(s_.backups.unrestored) + " left in the backup folder " +
              s_.backup_dir);
    for (const std::string& r : read_records(s_.journal)) log_.line("rollback: could not undo " + r);
  }

  void log_cleanup(CleanupResult cleanup) {
    if (s_.backup_dir.empty()) return;
    switch (cleanup) {
      case CleanupResult::rolled_back: log_.line("replaced files: the installation was rolled back"); break;
      case CleanupResult::go_on_then_delete:
        log_.line("replaced files: deleted with the backup folder " + s_.backup_dir);
        break;
      case CleanupResult::go_on: log_.line("replaced files: kept in " + s_.backup_dir); break;
    }
  }

  // The journal file's folder goes into the record and the journal, and so
  // does the backup list beside it: what the uninstall puts back.
  bool write_final_journal() {
    const bool keeps = count_backup_records() > 0;
    const std::vector<SavedItem> kept = keeps ? saved_items_present(s_.backup) : std::vector<SavedItem>();
    const bool written = write_journal_file(
        s_.journal, journal_file_path(), &record_, JournalFolder::make, [this, kept](std::uint64_t journal_end) {
          return backup_list_lines(kept, kept.empty() ? std::vector<std::string>() : s_.backup.created_dirs,
                                   s_.backup.links_replaced, journal_end);
        });
    journal_error_ = written ? 0 : GetLastError();
    return written;
  }

  int count_backup_records() const {
    int n = 0;
    for (const std::string& r : read_records(s_.journal)) n += has_prefix(r, record::backup_dir) ? 1 : 0;
    return n;
  }

  void after_rollback(const UndoOutcome& outcome) {
    finish_backups(s_, true, [] {}, &saved_files_);
    write_leftovers();
    exit_code_ = outcome.changed.empty() ? exit_rolled_back : exit_saved_files_changed;
    s_.abort = true;
    report_changed_saved_files(outcome);
  }

  // Saved files that were changed since they were saved stay where they are,
  // each named.
  void report_changed_saved_files(const UndoOutcome& outcome) {
    if (outcome.changed.empty()) return;
    std::string names;
    for (const std::string& path : outcome.changed) {
      log_.line("not put back: " + path + " (its bytes were changed since it was saved)");
      names += path + "\r\n";
    }
    if (!s_.quiet) {
      show_message_text(not_put_back_caption, not_put_back_text(s_.german(), names), MB_OK | MB_ICONWARNING);
    }
  }

  // What a rollback could not undo, and a kept backup folder, stay recorded
  // for the uninstaller, next to it. A complete rollback writes no journal
  // file, and none brings back the folders the rollback removed. Then the
  // run is over, and so is its record.
  void write_leftovers() {
    if (!read_records(s_.journal).empty()) {
      write_journal_file(s_.journal, journal_file_path(), &record_, JournalFolder::existing_only);
    }
    saved_files_.release();
    record_.discard();
  }

  // What an installation that stays gets besides its files: the shortcuts,
  // announced with the start-menu folders they go to, and the entry, only
  // when the uninstaller it names was installed whole. Returns the entry as
  // it was before this run wrote it.
  std::optional<UninstallKeySnapshot> finish_installation(const std::vector<std::int32_t>& written) {
    bool announced = true;
    for (const std::string* menu : {&s_.start_menu_dir, &s_.uninstall_menu_dir}) {
      if (!menu->empty() && !s_.no_start_menu) {
        announced = announced && record_.announce(std::string(run_record::menu) + *menu);
      }
    }
    if (announced) create_all_shortcuts(s_);
    std::optional<UninstallKeySnapshot> entry_before;
    if (!uninstaller_written(written)) {
      log_.line("Add/Remove Programs entry: none, since the uninstaller " + s_.uninstaller_path +
                " was not installed whole");
    } else if (announced) {
      entry_before = register_uninstall_entry(s_, registry_, checksum_,
                                              static_cast<std::uint64_t>(payload_->fileset.data_length()));
    }
    log_.line(std::string("shortcuts made; Add/Remove Programs entry: ") +
              (count_records(s_.journal).registrations > 0 ? "written" : "none"));
    return entry_before;
  }

  // Whether the payload's uninstaller, at the product's uninstaller path,
  // was written whole (and read back as packed, with -F).
  bool uninstaller_written(const std::vector<std::int32_t>& written) const {
    std::string wanted = s_.uninstaller_path;
    if (!wanted.empty() && wanted.front() == '\\') wanted.erase(0, 1);
    wanted = fold_name_case(wanted);
    std::int32_t index = -1;
    for_each_entry(payload_->fileset, [&](const Tpayload_entry& entry) {
      if (entry.kind == EntryKind::file && fold_name_case(entry.name) == wanted) index = entry.index;
      return index < 0;
    });
    for (const std::int32_t w : written) {
      if (w == index) return true;
    }
    return false;
  }

  // Not cut to 255 characters: write_journal_file refuses a path whose record
  // would not fit rather than write the file somewhere else.
  std::string journal_file_path() const { return ::journal_file_path(s_); }

  void report_success() {
    const std::int32_t files = count_records(s_.journal).files;
    log_.line("installed " + std::to_string(files) + " files");
    if (s_.quiet) return;
    show_message_text(success_caption, success_text(s_.german(), files), MB_OK | MB_ICONINFORMATION);
  }

  // A folder beyond 255 characters would be cut, and the cut path names
  // another folder: refuse it rather than install there. The same holds for
  // every entry of the payload below the folder, and for the journal file:
  // found too long only after the files were written, it would leave an
  // installation that cannot be uninstalled. The write probe comes last,
  // since it makes the installation folder and begins the run's record.
  bool paths_usable() { return plan_->fits_below(s_.install_dir) && ::paths_usable(s_, registry_); }

  void end_progress() {
    progress_pair_.set_first(nullptr);
    progress_.reset();
  }

  void load_logo() {
    logo_ = GdiObject<HBITMAP>(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), LOGO_BITMAP_NAME, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  }

  void load_product_texts(std::int32_t offset) {
    std::string* const fields[IDS_PRODUCT_TEXT_COUNT] = {
        &s_.product_folder, &s_.game_exe_path,   &s_.uninstaller_path, &s_.product_title,
        &s_.uninstall_title, &s_.game_comment, &s_.uninstall_comment,
    };
    for (int i = 0; i < IDS_PRODUCT_TEXT_COUNT; ++i) *fields[i] = load_localised_string(IDS_PRODUCT_FOLDER + i + offset);
    s_.product_version = load_localised_string(IDS_PRODUCT_VERSION);
    s_.publisher = load_localised_string(IDS_PUBLISHER);
  }

  InstallerSettings& s_;
  Tchecksum& checksum_;
  const ShellRegistry& registry_;
  std::optional<CheckedPayload> payload_;
  std::optional<InstallPlan> plan_;
  GdiObject<HBITMAP> logo_;
  std::unique_ptr<ProgressWindow> progress_;  // shown while an interactive run writes the files
  RunLogFile log_file_;
  RunLog log_;
  ProgressPair progress_pair_{nullptr, &log_};  // the window (while there is one) and the log
  DWORD journal_error_ = 0;
  const TestHooks hooks_;
  RunRecordFile record_;
  SavedFiles saved_files_;
  ProductNames names_;
  std::vector<std::string> shell_folders_;
  std::optional<StoppedRun> stopped_;  // found by find_stopped_run, dealt with by undo_stopped_run
  std::string stopped_path_;
  ExitCode exit_code_ = exit_success;
};

}  // namespace

int run_setup(const std::vector<std::string>& arguments) {
  // Start-up, in this order, before the sequence's own steps.
  Tchecksum checksum(code_seed);
  initialise_com();
  InstallerSettings settings;
  discover_special_folders(settings);
  const ShellRegistry registry = load_shell_registry_helpers();

  RunSequence sequence(settings, checksum, registry);
  return sequence.run(arguments);
}
