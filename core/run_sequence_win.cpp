#include "core/run_sequence.h"

#include <windows.h>

#include <memory>
#include <optional>

#include "core/exit_codes.h"
#include "core/paths.h"
#include "core/gdi_object.h"
#include "core/message_box.h"
#include "core/options.h"
#include "core/run_messages.h"
#include "core/settings.h"
#include "core/short_string.h"
#include "core/silent_paths.h"
#include "engine/extract.h"
#include "engine/install_plan.h"
#include "engine/journal.h"
#include "engine/journal_file.h"
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

// The uninstaller's path among the seven product texts.
constexpr int uninstaller_text = 2;

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
    }
    return true;
  }

  // A silent run completes the paths itself. An interactive one asks for the
  // language (unless "-L" gave it), reloads the product texts in it and asks
  // for the folders and options; leaving either dialog installs nothing.
  void choose_paths() {
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

  // Step 12 as far as it is built: the files, then the shortcuts, the
  // registration, the journal file and the report. A failed installation
  // stays as it is and keeps its journal, so that the uninstaller can still
  // remove what was written.
  void install() {
    s_.result_code = install_fileset(payload_->fileset, payload_->sums, s_.install_dir, s_.verify_files, s_);
    end_progress();
    const bool failed = s_.result_code > 0;
    finish_installation();
    // Without its journal the installation cannot be uninstalled: not a success.
    const bool journal_written = write_journal_file(s_.journal, journal_file_path());
    if (failed || !journal_written) {
      exit_code_ = exit_failed_kept;
      return;
    }
    report_success();
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
