#include "uninstall/uninstall_sequence.h"

#include <windows.h>

#include <memory>
#include <optional>

#include "core/gdi_object.h"
#include "core/message_box.h"
#include "core/name_case.h"
#include "core/paths.h"
#include "core/run_log.h"
#include "core/run_log_file.h"
#include "core/settings.h"
#include "core/win_handle.h"
#include "core/protected_folders.h"
#include "engine/backup_list.h"
#include "engine/journal_file.h"
#include "engine/journal_runs.h"
#include "engine/places.h"
#include "engine/run_record.h"
#include "engine/temp_folder.h"
#include "engine/test_hooks.h"
#include "engine/tree_removal.h"
#include "engine/undo.h"
#include "engine/undo_plan.h"
#include "payload/digest.h"
#include "resources/resource_ids.h"
#include "system/com_init.h"
#include "system/shell_registry.h"
#include "system/shortcuts.h"
#include "system/special_folders.h"
#include "system/uninstall_key.h"
#include "system/uninstall_registration.h"
#include "ui/progress_window.h"
#include "ui/strings.h"
#include "uninstall/second_phase.h"
#include "uninstall/uninstall_messages.h"
#include "uninstall/uninstall_options.h"

namespace {

enum UninstallExit : int {
  uninstall_done = 0,
  uninstall_no_folders = 1,
  uninstall_no_journal = 2,
  uninstall_declined = 3,
  uninstall_refused_records = 4,
  uninstall_incomplete = 6,
  uninstall_saved_files_changed = 7,
};

// A journal larger than this is none the setup wrote.
constexpr std::uint64_t journal_limit = 256u << 20;

// Places among the seven product texts.
constexpr int product_folder_text = 0;
constexpr int uninstaller_text = 2;
constexpr int product_title_text = 3;
constexpr int uninstall_title_text = 4;
constexpr int languages[] = {0, 1000};

std::string product_text(int text, int offset) { return load_localised_string(IDS_PRODUCT_FOLDER + text + offset); }




// A file of the installation, read whole; nothing when it is missing, cannot
// be read or is larger than any the setup writes.
std::optional<std::string> read_whole(const std::string& path) {
  const WinHandle file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) > journal_limit) {
    SetLastError(ERROR_FILE_TOO_LARGE);
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  BOOL ok = TRUE;
  while ((ok = ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) && got > 0) bytes.append(buffer, got);
  if (!ok) return std::nullopt;
  return bytes;
}

class Uninstaller {
 public:
  Uninstaller(const UninstallOptions& options, const FolderTable& folders, RunLog& log)
      : o_(options), folders_(folders), log_(log), registry_(load_shell_registry_helpers()), checksum_(code_seed),
        hooks_(test_hooks()) {}

  int run() {
    // Its own path as the file system names it: started by a short (8.3)
    // path it would otherwise take another spelling for its folder.
    program_ = long_path(o_.second_phase ? o_.original_path : own_program_path());
    title_ = product_text(product_title_text, o_.language_offset);
    journal_ = join_path(parent_dir(program_), journal_file_name);
    backup_list_ = join_path(parent_dir(program_), backup_list_name);
    log_.line("uninstaller: " + program_ + (o_.second_phase ? " (run from its copy " + own_program_path() + ")" : ""));
    const std::optional<std::string> bytes = read_whole(journal_);
    if (!bytes) {
      log_.failure("check journal " + journal_ + ": missing or cannot be read", GetLastError());
      if (!o_.quiet) {
        show_message_text(uninstall_failed_caption, journal_missing_text(o_.german(), journal_), MB_OK | MB_ICONERROR);
      }
      return uninstall_no_journal;
    }
    const JournalRuns runs = read_journal_runs(*bytes, read_whole(backup_list_).value_or(""), journal_);
    // A journal with no record in it undoes nothing: not a success, and it
    // stays, with the uninstaller, for the installation it belongs to.
    if (runs.records == 0) {
      log_.line("check journal " + journal_ + ": it holds no record the setup writes; nothing was removed");
      if (!o_.quiet) {
        show_message_text(uninstall_failed_caption, journal_empty_text(o_.german(), journal_), MB_OK | MB_ICONERROR);
      }
      return uninstall_no_journal;
    }
    const InstallationPlaces where = places();
    const UndoPlan plan = plan_undo(runs.runs, where, RecordSource::journal);
    UninstallReport report;
    report.refused = runs.unreadable;
    report.refused.insert(report.refused.end(), plan.refused.begin(), plan.refused.end());
    log_.line("check journal " + journal_ + ": " + std::to_string(plan.steps.size()) + " steps, " +
              std::to_string(report.refused.size()) + " records refused");
    log_.line("installation folder: " + where.install_dir);
    for (const RefusedRecord& r : report.refused) log_.line("refused " + r.record + " (" + r.why + ")");
    if (!o_.silent && show_message_text(title_, uninstall_question(o_.german(), title_),
                                        MB_YESNO | MB_ICONQUESTION) != IDYES) {
      log_.line("the user said No");
      return uninstall_declined;
    }

    std::unique_ptr<ProgressWindow> progress;
    const GdiObject<HBITMAP> logo(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), LOGO_BITMAP_NAME, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!o_.silent) {
      progress = std::make_unique<ProgressWindow>(title_ + (o_.german() ? " - Deinstallation" : " - Uninstall"),
                                                  o_.german() ? "Entferne:" : "Removing:", logo.get());
    }
    StopHook stop(hooks_.stop_at);
    // The program, its journal and the backup list go last, once this run is over.
    ProgressPair events(progress.get(), &log_);
    UndoContext context;
    context.remove_entry = [this](const std::string& key) { return take_back_uninstall_key(registry_, key); };
    context.link_is_ours = [dir = where.install_dir](const std::string& link) { return link_leads_into(link, dir); };
    context.progress = &events;
    context.stop = &stop;
    context.skipped = {program_, journal_, backup_list_};
    context.keep_entry_while_left = true;
    report.outcome = carry_out(plan, context);
    for (const LeftItem& r : report.outcome.refused) report.refused.push_back({r.path, r.why});

    // The journal, the backup list and this program go only when everything
    // else went, and the journal was read whole: otherwise an uninstall run
    // again finds them, and the entry that starts it.
    if (!runs.unreadable.empty()) {
      report.kept.push_back({journal_, "the journal could not be read whole, so it stays with the uninstaller"});
    }
    // Run in place (no copy could be made in the temporary folder), it
    // cannot delete itself: it goes at the next restart, or it stays.
    if (report.outcome.left.empty() && report.kept.empty() && !o_.second_phase) {
      if (MoveFileExA(program_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        report.removed_at_restart = program_;
        log_.line("the uninstaller " + program_ + " goes at the next restart");
      } else {
        report.kept.push_back({program_, "the uninstaller could not run from a copy, and cannot remove itself"});
      }
    }
    finishing_ = report.outcome.left.empty() && report.kept.empty();
    if (finishing_) {
      // Counted now, removed after the report: the journal, the backup list,
      // this program when the journal names it, and the folders that held them.
      report.outcome.files += 1 + (names(*bytes, backup_list_) ? 1 : 0) +
                              (o_.second_phase && names(*bytes, program_) ? 1 : 0);
      report.outcome.folders += static_cast<std::int32_t>(report.outcome.retry_folders.size());
    }
    retry_folders_ = report.outcome.retry_folders;

    const int code = !report.outcome.left.empty() || !report.kept.empty() ? uninstall_incomplete
                     : !report.outcome.changed.empty()                  ? uninstall_saved_files_changed
                     : !report.refused.empty()                          ? uninstall_refused_records
                                                                        : uninstall_done;
    log_.line("removed " + std::to_string(report.outcome.files) + " files and " +
              std::to_string(report.outcome.folders) + " folders, put back " +
              std::to_string(report.outcome.restored) + " replaced files; " +
              std::to_string(report.outcome.left.size()) + " left");
    for (const std::string& changed : report.outcome.changed) {
      log_.line("not put back: " + changed + " (its bytes were changed since it was saved)");
    }
    for (const LeftItem& kept : report.kept) log_.line("kept " + kept.path + " (" + kept.why + ")");
    if (o_.quiet) return code;
    // The progress window stays behind the report, its bar full.
    show_message_text(code == uninstall_done ? uninstall_complete_caption : uninstall_incomplete_caption,
                      uninstall_report(o_.german(), report),
                      MB_OK | (code == uninstall_done ? MB_ICONINFORMATION : MB_ICONWARNING));
    return code;
  }

  // After the result went to the program the user started, and it ended:
  // this program's file, the journal, the backup list and their folders. An
  // uninstall that left anything keeps them, so that it can be run again.
  void remove_itself() const {
    if (!finishing_) return;
    if (o_.second_phase && !DeleteFileA(program_.c_str())) {
      MoveFileExA(program_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    DeleteFileA(backup_list_.c_str());
    DeleteFileA(journal_.c_str());
    for (const std::string& folder : retry_folders_) remove_folder(folder);
  }

 private:
  InstallationPlaces places() {
    ProductNames names;
    for (const int offset : languages) {
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
  std::string installation_folder() const {
    const std::string program = fold_name_case(program_);
    for (const int offset : languages) {
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

  static bool names(const std::string& journal, const std::string& path) {
    return fold_name_case(journal).find(fold_name_case("FILE:" + path + "\r\n")) != std::string::npos;
  }

  const UninstallOptions& o_;
  const FolderTable& folders_;
  RunLog& log_;
  const ShellRegistry registry_;
  Tchecksum checksum_;
  const TestHooks hooks_;
  std::string program_;
  std::string title_;
  std::string journal_;
  std::string backup_list_;
  std::vector<std::string> retry_folders_;
  bool finishing_ = false;
};

}  // namespace

// The log is written by the process that does the work: the copy, or the
// program the user started when no copy could be started.
int run_uninstall(const std::vector<std::string>& arguments) {
  const UninstallOptions options = parse_uninstall_options(arguments);
  // A quiet run shows no box of the system's either: it must end by itself.
  if (options.quiet) SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  RunLogFile log_file;
  RunLog log;
  const auto open_log = [&] {
    open_run_log(log_file, log, options.log_path, options.quiet, options.german(), "uninstall");
    log.line("uninstall");
    log.line(arguments_line(options.user_arguments));
    log.line(uninstall_options_line(options));
  };
  bool failed = false;
  const FolderTable folders = discover_folder_table(failed);
  if (failed) {
    open_log();
    log.line("check special folders: the shell could not name them");
    log.exit_code(uninstall_no_folders);
    return uninstall_no_folders;
  }
  const std::string temp = temp_folder(folders);
  if (!options.second_phase) {
    remove_earlier_copies(temp);
    const std::vector<std::string> handed =
        options.log_path.empty() ? options.user_arguments : with_log_path(options.user_arguments, full_path(options.log_path));
    if (const std::optional<int> code = hand_over(temp, handed)) return *code;
  }
  open_log();
  // The shell's link object tells whose a shortcut is.
  initialise_com();
  Uninstaller uninstaller(options, folders, log);
  const int code = uninstaller.run();
  log.exit_code(code);
  if (options.second_phase) {
    send_result(options.result_pipe, code);
    wait_for_original(options.original_process);
  }
  uninstaller.remove_itself();
  return code;
}
