#include "core/run_sequence.h"

#include <windows.h>

#include <memory>
#include <optional>

#include "core/exit_codes.h"
#include "core/folders.h"
#include "core/paths.h"
#include "core/gdi_object.h"
#include "core/message_box.h"
#include "core/options.h"
#include "core/protected_folders.h"
#include "core/run_messages.h"
#include "core/settings.h"
#include "core/short_string.h"
#include "core/silent_paths.h"
#include "engine/backup_cleanup.h"
#include "engine/extract.h"
#include "engine/install_plan.h"
#include "engine/journal.h"
#include "engine/journal_file.h"
#include "engine/rollback.h"
#include "engine/rollback_text.h"
#include "engine/run_record.h"
#include "engine/run_record_file.h"
#include "payload/digest.h"
#include "payload/payload_resource.h"
#include "resources/resource_ids.h"
#include "system/com_init.h"
#include "system/default_paths.h"
#include "system/path_checks.h"
#include "system/shell_registry.h"
#include "system/shortcuts.h"
#include "system/uninstall_registration.h"
#include "system/special_folders.h"
#include "ui/progress_window.h"
#include "ui/setup_dialogs.h"
#include "ui/strings.h"

namespace {

// Places among the seven product texts.
constexpr int uninstaller_text = 2;
constexpr int product_title_text = 3;
constexpr int uninstall_title_text = 4;

class RunSequence {
 public:
  RunSequence(InstallerSettings& settings, Tchecksum& checksum, const ShellRegistry& registry)
      : s_(settings), checksum_(checksum), registry_(registry) {}

  int run(const std::vector<std::string>& arguments) {
    if (s_.folder_discovery_failed) return exit_folder_discovery_failed;
    s_.backup_dir.clear();
    s_.backups = BackupStatistics{};
    parse_options(s_, arguments);
    s_.journal.init();

    check_payload();
    load_logo();
    if (!s_.abort) {
      compute_dialog_defaults(s_);
      load_product_texts(language_english);
    }
    if (!s_.abort) load_product_texts(s_.language_offset);
    if (!s_.abort) choose_paths();
    if (!s_.abort) undo_stopped_run();
    if (!s_.abort) install();

    s_.journal.done();
    return exit_code_;
  }

 private:
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
    if (payload_ && plan_installation()) return;
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
      // The links made in the installation folder, replaced by their save.
      for (const int text : {product_title_text, uninstall_title_text}) {
        const std::string title = load_localised_string(IDS_PRODUCT_FOLDER + text + offset);
        if (!plan_->check_own_file(title + ".lnk").ok()) return false;
      }
    }
    return plan_->check_own_file(run_record_file_name).ok();
  }

  // A silent run completes the paths itself. An interactive one asks for the
  // language (unless "-L" gave it), reloads the product texts in it and asks
  // for the folders and options; leaving either dialog installs nothing.
  void choose_paths() {
    // Saved files never go into the system's own folders.
    if (is_in_system_folders(s_.backup_base_dir, s_.folders)) return stop(exit_paths_unusable);
    if (s_.silent) {
      complete_silent_paths(s_);
      if (!paths_usable()) stop(exit_paths_unusable);
      return;
    }
    SetupDialogs dialogs(s_, registry_, logo_.get());
    if (!s_.skip_language_dialog && !dialogs.choose_language()) return stop(exit_user_left);
    load_product_texts(s_.language_offset);
    s_.result_code = static_cast<std::int32_t>(dialogs.choose_paths());
    if (s_.result_code < 0) return stop(exit_user_left);
    // The dialog cannot know the payload: a folder too deep for its longest
    // entry is refused here, before any file is written.
    if (!plan_->fits_below(s_.install_dir)) return stop(exit_paths_unusable);
    progress_ = std::make_unique<ProgressWindow>(s_, logo_.get());
    s_.progress = progress_.get();
  }

  // A run into this folder that was stopped before it ended left its record
  // there: nothing is installed over it. It is undone when the user (or -B)
  // says so; otherwise everything stays as it is.
  void undo_stopped_run() {
    const std::string path = run_record_path(s_.install_dir);
    const std::optional<std::string> bytes = read_run_record(path);
    if (!bytes) return;
    end_progress();
    const bool undo = s_.silent ? s_.rollback_on_failure
                                : show_message_text(stopped_run_caption, stopped_run_question(s_.german(), s_.install_dir),
                                                    MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
    if (!undo) {
      stop(s_.silent ? exit_failed_kept : exit_user_left);
      return;
    }
    StoppedRun stopped = parse_run_record(*bytes);
    s_.backup_dir = stopped.backup_dir;
    s_.backup = stopped.backup;
    // Links and an entry that an earlier installation had where the stopped
    // run saved its own go back as they were, instead of being removed.
    const std::vector<std::string> not_put_back = put_back_earlier(stopped);
    const UndoOutcome outcome = undo_run(UndoPlan{stopped.records, stopped.backup_dir, stopped.backup},
                                         remove_registration(), [&path] { DeleteFileA(path.c_str()); });
    s_.journal.init();  // this run's write probe left only its own record
    for (const std::string& r : not_put_back) s_.journal.add(r);
    for (const std::string& r : outcome.left) s_.journal.add(r);
    s_.backups.restored = outcome.restored;
    s_.backups.unrestored = outcome.unrestored;
    // Only what was really moved aside counts as saved now.
    s_.backup.items = saved_items_present(s_.backup);
    if (!s_.silent) show_rollback_report(s_, outcome.saved);
    after_rollback();
  }

  // Takes the records of the earlier links and entry out of the stopped run's
  // records and restores them; returns the records of those it could not.
  std::vector<std::string> put_back_earlier(StoppedRun& stopped) const {
    std::vector<std::string> left;
    std::vector<std::string> records;
    for (const std::string& r : stopped.records) {
      if (has_prefix(r, record::file)) {
        const auto link = stopped.links_before.find(r.substr(record::file.size()));
        if (link != stopped.links_before.end()) {
          if (!write_whole_file(link->first, link->second)) left.push_back(r);
          continue;
        }
      } else if (has_prefix(r, record::app)) {
        const auto entry = stopped.entries_before.find(r.substr(record::app.size()));
        if (entry != stopped.entries_before.end()) {
          UninstallKeySnapshot earlier{entry->first, true, {}};
          for (const EntryValue& v : entry->second) {
            earlier.values.push_back({v.name, v.type, std::vector<std::uint8_t>(v.data.begin(), v.data.end())});
          }
          if (!restore_uninstall_key(registry_, earlier)) left.push_back(r);
          continue;
        }
      }
      records.push_back(r);
    }
    stopped.records = std::move(records);
    return left;
  }

  static bool write_whole_file(const std::string& path, const std::string& bytes) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    return CloseHandle(file) && ok;
  }

  // Step 12: the files, the failure branch, the clean-up of the saved files,
  // then the shortcuts, the registration, the journal file and the report.
  // While all that goes on, a record in the installation folder lists
  // everything done so far, so that a run stopped in the middle can be undone
  // by the next one.
  void install() {
    if (open_run_record()) {
      s_.run_record = &record_;
      s_.journal.set_observer(&record_);
    }
    s_.result_code = install_fileset(payload_->fileset, payload_->sums, s_.install_dir, s_.verify_files, s_);
    end_progress();
    record_.checkpoint();
    const bool failed = s_.result_code > 0;
    if (failed && !s_.silent) s_.rollback_on_failure = ask_rollback(s_);
    if (failed && s_.rollback_on_failure) {
      rollback(s_, remove_registration(), [this] { record_.discard(); });
      after_rollback();
      return;
    }
    const CleanupResult cleanup = finish_backups(s_, false, remove_registration(), [this] { record_.discard(); });
    if (cleanup == CleanupResult::rolled_back) {
      write_leftovers();
      exit_code_ = exit_rolled_back;
      return;
    }
    finish_installation();
    // Without its journal the installation cannot be uninstalled: not a success.
    const bool journal_written = write_final_journal();
    if (journal_written) record_.discard();
    if (cleanup == CleanupResult::go_on_then_delete) delete_saved_files(s_);
    if (failed || !journal_written) {
      exit_code_ = exit_failed_kept;
      return;
    }
    report_success();
  }

  // The record is made in the installation folder, so that folder comes
  // first; its "DIR:" records are the first the record holds.
  bool open_run_record() {
    std::string folder = s_.install_dir;
    strip_trailing_backslash(folder);
    force_dirs_journaled(folder, s_.journal);
    if (!record_.create(run_record_path(s_.install_dir))) return false;
    for (const std::string& r : read_records(s_.journal)) record_.write_line(r);
    record_.checkpoint();
    return true;
  }

  // The journal file's folder goes into the record; the file itself does not:
  // undoing a stopped run must never delete a journal that earlier
  // installations share.
  bool write_final_journal() {
    const std::string path = journal_file_path();
    if (record_fits(record::file, path)) force_dirs_journaled(parent_dir(path), s_.journal);
    s_.journal.set_observer(nullptr);
    s_.run_record = nullptr;
    return write_journal_file(s_.journal, path);
  }

  void after_rollback() {
    finish_backups(s_, true, remove_registration(), {});
    write_leftovers();
    exit_code_ = exit_rolled_back;
    s_.abort = true;
  }

  // What a rollback could not undo, and a kept backup folder, stay recorded
  // for the uninstaller; a complete rollback writes no journal file.
  void write_leftovers() {
    s_.journal.set_observer(nullptr);
    s_.run_record = nullptr;
    if (read_records(s_.journal).empty()) return;
    write_journal_file(s_.journal, journal_file_path());
  }

  RemoveRegistration remove_registration() const {
    return [this](const std::string& key) {
      if (remove_uninstall_key(registry_, key)) return true;
      // Gone counts as undone; values this run could not read stay.
      const std::string sub_key = std::string(uninstall_root_key) + key;
      HKEY opened = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, sub_key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return true;
      RegCloseKey(opened);
      return registry_.shell_delete_key(HKEY_LOCAL_MACHINE, sub_key.c_str());
    };
  }

  // What an installation that stays gets besides its files.
  void finish_installation() {
    create_all_shortcuts(s_);
    register_uninstall_entry(s_, registry_, checksum_, static_cast<std::uint64_t>(payload_->fileset.data_length()));
  }

  // Not cut to 255 characters: write_journal_file refuses a path whose record
  // would not fit rather than write the file somewhere else.
  std::string journal_file_path() const { return ::journal_file_path(s_); }

  void report_success() const {
    const std::int32_t files = count_records(s_.journal).files;
    show_message_text(success_caption, success_text(s_.german(), files),
                      MB_OK | MB_ICONINFORMATION);
  }

  // A folder beyond 255 characters would be cut, and the cut path names
  // another folder: refuse it rather than install there. The same holds for
  // every entry of the payload below the folder, and for the journal file:
  // found too long only after the files were written, it would leave an
  // installation that cannot be uninstalled. The write probe comes last,
  // since it makes the installation folder.
  bool paths_usable() { return plan_->fits_below(s_.install_dir) && ::paths_usable(s_, registry_); }

  void end_progress() {
    s_.progress = nullptr;
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
  }

  InstallerSettings& s_;
  Tchecksum& checksum_;
  const ShellRegistry& registry_;
  std::optional<CheckedPayload> payload_;
  std::optional<InstallPlan> plan_;
  GdiObject<HBITMAP> logo_;
  std::unique_ptr<ProgressWindow> progress_;  // shown while an interactive run writes the files
  RunRecordFile record_;
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
