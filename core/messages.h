#pragma once
// The message catalogue: every text a person sees from setup.exe and
// uninstall.exe, each with an id, in English and German, with its caption
// in both. A text may hold %1 to %9, which message() fills in order.
//
// The texts of the original program are kept exactly as they stand, spelling
// slips included, and so is their caption, the same in both languages. The
// texts added since have a German caption of their own.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

enum class Msg : std::uint16_t {
  // setup.exe
  checksum_error,             // the payload is damaged
  install_complete,           // %1 files
  install_incomplete,         // log_inst.dat could not be written to %1
  backup_folder_in_system,    // -p %1 in the Windows or system folder
  backup_folder_unusable,     // -p %1 is no full folder name
  stopped_run_question,       // a run into %1 was stopped
  stopped_run_refused,        // its record %2 names places outside (%3)
  record_failed,              // the run's record %1 could not be written (%2)
  saved_files_not_put_back,   // %1: the list
  log_unwritable,             // the log %1 cannot be written (%2)
  volume_problem,             // the data volume %1 cannot be used: %2 (a volume_ reason)
  volume_missing,
  volume_truncated,
  volume_other_build,
  volume_damaged,
  install_progress_title,     // %1 the product's title
  install_progress_label,
  language_dialog_title,      // %1 the product's title
  path_dialog_title,          // %1 the product's title
  // The overwrite question (its first line is cut at 255 characters).
  overwrite_head,
  overwrite_body,
  // The rollback's question and report (a number before each line but the first).
  rollback_question,
  rollback_done,
  rollback_saved,
  rollback_restored,
  rollback_unrestored,
  rollback_not_saved,
  rollback_files_left,
  rollback_folders_left,
  rollback_registrations_left,
  // The clean-up question (the folder's lines are cut at 255 characters).
  cleanup_head,
  cleanup_choices,
  cleanup_cancel,
  cleanup_ask,
  // The path dialog's refusals; their caption is the product folder's name.
  path_inconsistent,
  path_install_pending,
  path_start_menu_pending,
  path_start_menu_exists,
  path_both_exist,
  path_unusable,
  path_backup_inside,         // %1 the -p folder
  path_no_space,              // %1 the drive, %2 what the installation needs there, %3 what is free
  // uninstall.exe
  uninstall_question,         // %1 the product's title
  uninstall_complete,
  uninstall_incomplete,
  uninstall_journal_missing,  // %1 log_inst.dat
  uninstall_journal_empty,    // %1 log_inst.dat
  uninstall_counts,           // %1 files, %2 folders, %3 put back
  uninstall_kept_folders,
  uninstall_not_removed,
  uninstall_refused,
  uninstall_not_ours,
  uninstall_kept,
  uninstall_more,             // %1 more
  uninstall_close_programs,
  uninstall_at_restart,       // %1 the uninstaller
  uninstall_progress_title,   // %1 the product's title
  uninstall_progress_label,
  // Why something could not be done or was refused: the log says them in
  // English, the report in the run's language.
  reason_in_use,
  reason_access_denied,
  reason_not_empty,
  reason_error,               // %1 the system's error code
  reason_a_folder,
  reason_folder_in_its_place,
  reason_place_taken,
  reason_short_name,
  reason_through_link,
  reason_entry_stays,
  reason_bytes_changed,
  reason_leads_elsewhere,
  reason_file_outside,
  reason_folder_outside,
  reason_entry_not_ours,
  reason_backup_folder_outside,
  reason_saved_file_misplaced,
  reason_made_folder_outside,
  reason_link_not_ours,
  reason_journal_not_ours,
  reason_no_record,
  reason_line_too_long,
  reason_zero_byte,
  reason_line_break,
  reason_cut_short,
  reason_list_line,
  reason_list_run,
  reason_journal_unreadable,
  reason_uninstaller_stays,
  count
};

struct MessageTexts {
  const char* caption_english;
  const char* caption_german;  // null: the English caption in both languages
  const char* english;
  const char* german;
};

const MessageTexts& message_texts(Msg id);

// The text in the run's language, with %1 ... %9 replaced by args in order
// (what they are replaced by is not looked at again).
std::string message(Msg id, bool german, std::initializer_list<std::string_view> args = {});
std::string caption(Msg id, bool german);

// A reason (Msg::reason_...) in the language, the system's error code filled
// in where it has one.
std::string reason_text(Msg why, bool german, std::uint32_t error = 0);

// The composed texts whose parts the catalogue holds.
struct RollbackNumbers {
  std::int32_t saved = 0;
  std::int32_t restored = 0;
  std::int32_t unrestored = 0;
  std::int32_t not_saved = 0;
  std::int32_t files_left = 0;
  std::int32_t folders_left = 0;
  std::int32_t registrations_left = 0;
};
std::string rollback_report(bool german, const RollbackNumbers& n);
std::string overwrite_question(bool german, std::string_view path);
std::string cleanup_question(bool german, const std::string& folder, bool allow_cancel);
