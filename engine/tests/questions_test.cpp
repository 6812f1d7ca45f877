#include "engine/questions.h"

#include <gtest/gtest.h>

// A silent run answers from its options alone: it never replaces a file
// nobody was asked about, rolls back only with -B, and keeps saved files
// with -p, or when a rollback could not put them back (no Cancel then).
TEST(SilentAnswers, FollowTheOptions) {
  const struct {
    bool roll_back, keep;  // -B, -p
    bool allow_cancel;
    bool undo, roll_back_failed;
    BackupChoice saved;
  } cases[] = {
      {false, false, true, false, false, BackupChoice::delete_files},
      {true, false, true, true, true, BackupChoice::delete_files},
      {false, true, true, false, false, BackupChoice::keep},
      {true, true, true, true, true, BackupChoice::keep},
      {false, false, false, false, false, BackupChoice::keep},
      {true, false, false, true, true, BackupChoice::keep},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "-B " << c.roll_back << ", -p " << c.keep << ", cancel " << c.allow_cancel);
    SilentAnswers answers(c.roll_back, c.keep);
    EXPECT_EQ(answers.replace_existing("C:\\game\\a.txt"), ReplaceAnswer::keep);
    EXPECT_EQ(answers.roll_back_failed_installation(), c.roll_back_failed);
    EXPECT_EQ(answers.undo_stopped_run("C:\\game"), c.undo);
    EXPECT_EQ(answers.saved_files("C:\\temp\\Installer_1", c.allow_cancel), c.saved);
  }
}
