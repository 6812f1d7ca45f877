#include "setup/setup_sequence.h"

#include <windows.h>

#include "core/folders.h"
#include "core/journal.h"
#include "core/message_box.h"
#include "core/own_program.h"
#include "core/protected_folders.h"
#include "core/silent_paths.h"
#include "engine/journal_file.h"
#include "engine/questions.h"
#include "payload/payload_resource.h"
#include "resources/resource_ids.h"
#include "setup/run_sequence.h"
#include "system/com_init.h"
#include "system/default_paths.h"
#include "system/path_checks.h"
#include "system/special_folders.h"
#include "system/uninstall_key.h"
#include "ui/dialog_answers.h"
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

}  // namespace

SetupSequence::SetupSequence(InstallerSettings& settings, Tdigest& checksum, const ShellRegistry& registry,
                             const ShellOptions& shell)
    : s_(settings),
      checksum_(checksum),
      registry_(registry),
      shell_("setup", shell),
      hooks_(test_hooks()),
      record_(hooks_),
      run_(settings) {
  run_.record = &record_;
  run_.saved_files = &saved_files_;
  run_.progress = &shell_.progress();
}

int SetupSequence::run(const std::vector<std::string>& arguments) {
  shell_.open_log(s_.german(), arguments, setup_options_line(s_, shell_.options()));
  Outcome outcome = Outcome::no_special_folders;
  if (s_.folder_discovery_failed) {
    shell_.log().line("check special folders: the shell could not name them");
  } else {
    s_.backup_dir.clear();
    s_.backups = BackupStatistics{};
    s_.journal.init();
    outcome = Outcome::go_on;
    for (Outcome (SetupSequence::*step)() : {&SetupSequence::check_payload, &SetupSequence::choose_paths,
                                              &SetupSequence::find_stopped_run, &SetupSequence::undo_stopped_run,
                                              &SetupSequence::install, &SetupSequence::finish,
                                              &SetupSequence::report}) {
      outcome = (this->*step)();
      if (outcome != Outcome::go_on) break;
    }
    s_.journal.done();
  }
  s_.abort = outcome != Outcome::done;
  const int code = exit_code_for(outcome);
  shell_.log().exit_code(code);
  return code;
}

// Every byte of the payload and every entry's place are checked before
// anything is written; a container that would not install whole is damaged
// as far as the user can tell.
Outcome SetupSequence::check_payload() {
  IndexLoad volumes = load_volume_index(checksum_);
  bool found = false;
  if (volumes.carried) {
    volume_index_ = std::move(volumes.index);
    program_blocks_ = volumes.blocks;
    found = volume_index_.has_value();
    if (found) layout_ = volume_index_->layout();
  } else {
    container_ = load_payload(checksum_);
    found = container_->check.container.has_value();
    if (found) layout_ = container_->check.container->layout;
  }
  if (found && plan_installation()) {
    shell_.log().line("check payload: " + std::to_string(layout_.count) + " entries, " +
                      std::to_string(layout_.data_length) + " bytes, checksums match");
    if (container_) {
      const CheckedContainer& c = *container_->check.container;
      source_ = std::make_unique<ContainerSource>(*container_->bytes, c.data_offset, layout_.data_length, c.sums,
                                                  container_->program);
      return Outcome::go_on;
    }
    return volume_index_->in_program() ? check_program_blocks() : check_volumes_beside();
  }
  shell_.log().line(found ? "check payload: an entry would not install" : "check payload: missing or damaged");
  if (!s_.silent) show_message(Msg::checksum_error, s_.german(), MB_OK | MB_ICONERROR);
  return Outcome::input_damaged;
}

Msg volume_reason(VolumeFault fault) {
  switch (fault) {
    case VolumeFault::truncated: return Msg::volume_truncated;
    case VolumeFault::other_build: return Msg::volume_other_build;
    case VolumeFault::damaged: return Msg::volume_damaged;
    case VolumeFault::none:
    case VolumeFault::missing: break;
  }
  return Msg::volume_missing;
}

// Every data volume lies beside the program and belongs to it, before
// anything is written; each block is checked again as it is read.
Outcome SetupSequence::check_volumes_beside() {
  const std::string folder = own_program_folder();
  const RetryVolume retry = [this](const VolumeProblem& p) { return retry_volume(p); };
  const VolumeProblem problem = check_volumes(*volume_index_, folder, program_blocks_, retry);
  if (!problem.ok()) {
    shell_.log().line("check payload: nothing was installed");
    return Outcome::input_damaged;
  }
  shell_.log().line("check payload: " + std::to_string(volume_index_->volume_count()) + " data volumes in " +
                    folder);
  source_ = open_volume_source(*volume_index_, folder, program_blocks_, retry);
  return Outcome::go_on;
}

// A compressed payload the program carries itself: every stored byte is
// checked before anything is written, as the single container's are, and a
// damaged one gets the same message. The file stays open from the check to
// the last block, so it is the same file throughout; nothing is asked again.
Outcome SetupSequence::check_program_blocks() {
  open_program_blocks(program_blocks_);
  const VolumeProblem problem = check_volumes(*volume_index_, "", program_blocks_, nullptr);
  if (!problem.ok()) {
    shell_.log().line("check payload: the compressed blocks in " + problem.path + ": " +
                      message(volume_reason(problem.fault), false) + "; nothing was installed");
    if (!s_.silent) show_message(Msg::checksum_error, s_.german(), MB_OK | MB_ICONERROR);
    return Outcome::input_damaged;
  }
  shell_.log().line("check payload: " + std::to_string(volume_index_->stored_length()) +
                    " bytes of compressed blocks, checksums match");
  const RetryVolume no_retry = [this](const VolumeProblem& p) {
    shell_.log().line("files: the compressed blocks in " + p.path + ": " + message(volume_reason(p.fault), false));
    return false;
  };
  source_ = open_volume_source(*volume_index_, "", program_blocks_, no_retry);
  return Outcome::go_on;
}

// A volume that cannot be used is named; the user may put it in place and
// look again. A silent run ends at once.
bool SetupSequence::retry_volume(const VolumeProblem& p) {
  shell_.log().line("data volume " + p.path + ": " + message(volume_reason(p.fault), false));
  if (s_.silent) return false;
  return show_message(Msg::volume_problem, s_.german(), MB_RETRYCANCEL | MB_ICONERROR,
                      {p.path, message(volume_reason(p.fault), s_.german())}) == IDRETRY;
}

// The journal file and the backup list go next to the uninstaller, which
// each language may put elsewhere: no entry may take their places, nor
// those of the links made in the installation folder.
bool SetupSequence::plan_installation() {
  plan_.emplace(layout_);
  if (!plan_->ok()) return false;
  for (const std::int32_t offset : {language_english, language_german}) {
    const std::string uninstaller = load_localised_string(IDS_PRODUCT_FOLDER + uninstaller_text + offset);
    if (!plan_->check_own_file(journal_file_relative_path(uninstaller)).ok()) return false;
    if (!plan_->check_own_file(backup_list_relative_path(uninstaller)).ok()) return false;
    for (const int text : {product_title_text, uninstall_title_text}) {
      const std::string title = load_localised_string(IDS_PRODUCT_FOLDER + text + offset);
      if (!plan_->check_own_file(title + ".lnk").ok()) return false;
    }
  }
  return true;
}

// A silent run completes the paths itself. An interactive one asks for the
// language (unless "-L" gave it), reloads the product texts in it and asks
// for the folders and options; leaving either dialog installs nothing. The
// dialog's OK settles the folder (find_stopped_run) as its last check.
Outcome SetupSequence::choose_paths() {
  compute_dialog_defaults(s_);
  load_product_texts(language_english);
  names_ = product_names();
  load_product_texts(s_.language_offset);
  if (s_.silent) {
    questions_ = std::make_unique<SilentAnswers>(s_.rollback_on_failure, !s_.backup_base_dir.empty());
    run_.questions = questions_.get();
    return choose_silent_paths();
  }
  SetupDialogs dialogs(
      s_, registry_, shell_.logo(), &record_,
      [this](const std::string& install_dir) { return plan_->fits_below(install_dir); },
      [this] { return (folder_ = settle_folder()) == Folder::stopped_run_found; },
      [this] { return drive_too_small(); });
  if (!s_.skip_language_dialog && !dialogs.choose_language()) return Outcome::user_left;
  load_product_texts(s_.language_offset);
  questions_ = std::make_unique<DialogAnswers>(s_.german());
  run_.questions = questions_.get();
  if (!backup_folder_usable()) {
    show_message(is_in_system_folders(s_.backup_base_dir, s_.folders) ? Msg::backup_folder_in_system
                                                                       : Msg::backup_folder_unusable,
                 s_.german(), MB_OK | MB_ICONERROR, {s_.backup_base_dir});
    return Outcome::refused;
  }
  s_.result_code = static_cast<std::int32_t>(dialogs.choose_paths());
  if (s_.result_code < 0) {
    shell_.log().line("the user left a dialog");
    return Outcome::user_left;
  }
  log_folders();
  return Outcome::go_on;
}

Outcome SetupSequence::choose_silent_paths() {
  // "-PC:" names the drive's current folder, not its root.
  if (!s_.install_dir.empty() && !base_folder_usable(s_.install_dir)) {
    shell_.log().line("check base folder " + s_.install_dir + ": not an absolute folder name");
    return Outcome::refused;
  }
  complete_silent_paths(s_);
  s_.install_dir = long_path(s_.install_dir);
  log_folders();
  if (is_in_system_folders(s_.install_dir, s_.folders)) {
    shell_.log().line("check installation folder: it lies in the Windows or system folder");
    return Outcome::refused;
  }
  if (!backup_folder_usable()) {
    shell_.log().line("check folder for replaced files " + s_.backup_base_dir + ": refused");
    return Outcome::refused;
  }
  return Outcome::go_on;
}

void SetupSequence::log_folders() {
  shell_.log().line("installation folder: " + s_.install_dir);
  shell_.log().line("start-menu folder: " + s_.start_menu_dir);
  shell_.log().line("uninstall start-menu folder: " + s_.uninstall_menu_dir);
}

// Saved files never go into the system's own folders, nor into the
// installation folder; the folder is named as an installation folder must be.
bool SetupSequence::backup_folder_usable() {
  if (!backup_base_usable(s_.backup_base_dir) || is_in_system_folders(s_.backup_base_dir, s_.folders)) return false;
  s_.backup_base_dir = long_path(s_.backup_base_dir);
  return backup_folder_apart(s_);
}

// The installation's places, which every undo keeps to.
InstallationPlaces SetupSequence::places() {
  if (shell_folders_.empty()) shell_folders_ = other_shell_folders();
  return make_installation_places(
      s_.install_dir, s_.folders, names_, shell_folders_,
      [this](std::string_view folder, std::string_view dir) { return uninstall_key_name(checksum_, folder, dir); });
}

UndoContext SetupSequence::undo_context() {
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
  c.progress = &shell_.log();
  return c;
}

Outcome SetupSequence::report() {
  const std::int32_t files = count_records(s_.journal).files;
  if (files_failed_) {
    shell_.log().line("the failed installation stays");
    return Outcome::incomplete;
  }
  shell_.log().line("installed " + std::to_string(files) + " files");
  if (!shell_.quiet()) {
    show_message(Msg::install_complete, s_.german(), MB_OK | MB_ICONINFORMATION, {std::to_string(files)});
  }
  return Outcome::done;
}

void SetupSequence::load_product_texts(std::int32_t offset) {
  std::string* const fields[IDS_PRODUCT_TEXT_COUNT] = {
      &s_.product_folder, &s_.game_exe_path,   &s_.uninstaller_path, &s_.product_title,
      &s_.uninstall_title, &s_.game_comment, &s_.uninstall_comment,
  };
  for (int i = 0; i < IDS_PRODUCT_TEXT_COUNT; ++i) *fields[i] = load_localised_string(IDS_PRODUCT_FOLDER + i + offset);
  release_ = {load_localised_string(IDS_PRODUCT_VERSION), load_localised_string(IDS_PUBLISHER)};
}

int run_setup(const std::vector<std::string>& arguments) {
  // Start-up, in this order, before the sequence's own steps.
  Tdigest checksum(code_seed);
  initialise_com();
  InstallerSettings settings;
  discover_special_folders(settings);
  const ShellRegistry registry = load_shell_registry_helpers();
  const ShellOptions shell = parse_options(settings, arguments);
  SetupSequence sequence(settings, checksum, registry, shell);
  return sequence.run(arguments);
}
