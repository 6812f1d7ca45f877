#pragma once
// The questions an installation asks while it runs. The engine asks them
// here and shows nothing itself: an interactive run's user interface answers
// them with its message boxes (ui/dialog_answers.h), a silent run's options
// answer them (SilentAnswers). Nothing here changes an option: a "replace
// all" answer is the asking step's to keep.

#include <cstdint>
#include <string>

enum class ReplaceAnswer { replace_all, replace_this, keep };  // Yes, No, Cancel

enum class BackupChoice : std::int32_t {
  delete_files = 1,
  keep = 0,
  roll_back = -1,
};

class Questions {
 public:
  virtual ~Questions() = default;
  // Something exists where the installation writes a file of its own.
  virtual ReplaceAnswer replace_existing(const std::string& path) = 0;
  // The files failed: true rolls the installation back.
  virtual bool roll_back_failed_installation() = 0;
  // What becomes of the files saved in folder; roll_back is not offered
  // without allow_cancel.
  virtual BackupChoice saved_files(const std::string& folder, bool allow_cancel) = 0;
  // A run into folder was stopped before it ended: true undoes it.
  virtual bool undo_stopped_run(const std::string& folder) = 0;
};

// A silent run's answers, from its options: -O has replaced every file
// before anything is asked, so an existing one is kept (the installation
// fails there); -B rolls back and undoes; the saved files are deleted unless
// -p keeps them, and what a rollback could not put back is always kept.
class SilentAnswers final : public Questions {
 public:
  SilentAnswers(bool roll_back, bool keep_saved_files) : roll_back_(roll_back), keep_(keep_saved_files) {}
  ReplaceAnswer replace_existing(const std::string&) override { return ReplaceAnswer::keep; }
  bool roll_back_failed_installation() override { return roll_back_; }
  BackupChoice saved_files(const std::string&, bool allow_cancel) override {
    return !allow_cancel || keep_ ? BackupChoice::keep : BackupChoice::delete_files;
  }
  bool undo_stopped_run(const std::string&) override { return roll_back_; }

 private:
  bool roll_back_;
  bool keep_;
};
