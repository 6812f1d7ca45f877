#pragma once
// An interactive run's answers to the installation's questions
// (engine/questions.h): the user's, in message boxes of the run's language
// with the catalogue's texts (core/messages.h).

#include "engine/questions.h"

class DialogAnswers final : public Questions {
 public:
  explicit DialogAnswers(bool german) : german_(german) {}
  ReplaceAnswer replace_existing(const std::string& path) override;
  bool roll_back_failed_installation() override;
  BackupChoice saved_files(const std::string& folder, bool allow_cancel) override;
  bool undo_stopped_run(const std::string& folder) override;

 private:
  bool german_;
};
