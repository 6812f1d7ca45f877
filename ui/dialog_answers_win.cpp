#include "ui/dialog_answers.h"

#include <windows.h>

#include "core/message_box.h"

ReplaceAnswer DialogAnswers::replace_existing(const std::string& path) {
  // Cancel, or a box that could not be shown, keeps the file.
  switch (show_message_text(caption(Msg::overwrite_head, german_), overwrite_question(german_, path),
                            MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDYES: return ReplaceAnswer::replace_all;
    case IDNO: return ReplaceAnswer::replace_this;
    default: return ReplaceAnswer::keep;
  }
}

bool DialogAnswers::roll_back_failed_installation() {
  return show_message(Msg::rollback_question, german_, MB_YESNO | MB_ICONERROR) == IDYES;
}

BackupChoice DialogAnswers::saved_files(const std::string& folder, bool allow_cancel) {
  const int answer = show_message_text(caption(Msg::cleanup_head, german_), cleanup_question(german_, folder, allow_cancel),
                                       (allow_cancel ? MB_YESNOCANCEL : MB_YESNO) | MB_ICONEXCLAMATION);
  if (answer == IDYES) return BackupChoice::delete_files;
  if (answer == IDNO || !allow_cancel) return BackupChoice::keep;
  return BackupChoice::roll_back;
}

bool DialogAnswers::undo_stopped_run(const std::string& folder) {
  return show_message(Msg::stopped_run_question, german_, MB_YESNO | MB_ICONEXCLAMATION, {folder}) == IDYES;
}
