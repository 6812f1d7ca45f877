#include "engine/backup.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "core/settings.h"
#include "engine/backup_name.h"
#include "engine/tests/test_run.h"
#include "tests/support/scoped_env.h"
#include "tests/support/win_fs.h"

using Records = std::vector<std::string>;

TEST(MakeBackupFolder, DrawsANewNameBelowTempAndNeverSharesATakenOne) {
  TempDir temp;
  ScopedEnv env("TEMP", temp.path());
  const std::uint32_t seed = 0x12345678;
  BackupNameGenerator names(seed);
  const std::string first = names.next_name();
  const std::string second = names.next_name();

  TestRun run1_run;
  InstallerSettings& run1 = run1_run.settings;
  ASSERT_TRUE(make_backup_folder(run1_run, seed));
  EXPECT_EQ(run1.backup_dir, temp / first);
  ASSERT_TRUE(write_file(run1.backup_dir + "\\saved.txt", "run 1"));

  // A second run started in the same millisecond draws the same first name.
  TestRun run2_run;
  InstallerSettings& run2 = run2_run.settings;
  ASSERT_TRUE(make_backup_folder(run2_run, seed));
  EXPECT_EQ(run2.backup_dir, temp / second);
  EXPECT_EQ(list_tree(run2.backup_dir), Records{});
  EXPECT_EQ(list_tree(temp.path()), (Records{first + "\\", first + "\\saved.txt", second + "\\"}));
}

TEST(MakeBackupFolder, UsesDocumentsTempWhenTempIsEmpty) {
  TempDir tmp;
  ScopedEnv env("TEMP", "");
  TestRun run;
  InstallerSettings& s = run.settings;
  s.folders.documents_dir = tmp / "Documents";  // missing: made with its parents
  ASSERT_TRUE(make_backup_folder(run, 7));
  EXPECT_EQ(s.backup_dir, tmp / "Documents\\temp\\" + BackupNameGenerator(7).next_name());
  EXPECT_TRUE(folder_exists(s.backup_dir));
}

TEST(BackupFile, AFailedMoveLeavesTheFileAsItWas) {
  TempDir tmp;
  const std::string dir = tmp / "game\\";
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  ASSERT_TRUE(write_file(dir + "a.txt", "mine"));
  ASSERT_TRUE(set_read_only(dir + "a.txt", true));
  TestRun run;
  InstallerSettings& s = run.settings;
  s.backup_base_dir = tmp / "saved";
  // The target exists already: the move fails with 183.
  ASSERT_TRUE(CreateDirectoryA(s.backup_base_dir.c_str(), nullptr));
  ASSERT_TRUE(write_file(s.backup_base_dir + "\\a.txt", "someone else's"));

  EXPECT_FALSE(backup_file(dir, "a.txt", run));

  EXPECT_EQ(read_file(dir + "a.txt"), "mine");
  EXPECT_TRUE(is_read_only(dir + "a.txt")) << "the attribute is given back";
  EXPECT_EQ(read_file(s.backup_base_dir + "\\a.txt"), "someone else's");
  EXPECT_EQ(s.backups.saved, 0);
  EXPECT_EQ(s.backups.not_saved, 1);
}

TEST(BackupFile, NoBackupFolderMeansNotSaved) {
  TempDir tmp;
  ASSERT_TRUE(write_file(tmp / "blocker", "a file where the folder should be"));
  ScopedEnv env("TEMP", tmp / "blocker\\temp");
  const std::string dir = tmp.path() + "\\";
  ASSERT_TRUE(write_file(dir + "a.txt", "mine"));
  TestRun run;
  InstallerSettings& s = run.settings;

  EXPECT_FALSE(make_backup_folder(run, 3));
  EXPECT_TRUE(s.backup_dir.empty());
  EXPECT_FALSE(backup_file(dir, "a.txt", run));
  EXPECT_TRUE(s.backup_dir.empty()) << "nothing was saved, so the rollback has nothing to restore";
  EXPECT_EQ(read_file(dir + "a.txt"), "mine");
  EXPECT_EQ(s.backups.not_saved, 1);
}

TEST(BackupFile, APresetFolderThatIsTheInstallFolderSavesNothing) {
  // The move onto itself succeeds without moving anything; counting that as
  // saved would let extraction overwrite the only copy.
  TempDir tmp;
  const std::string dir = tmp / "game\\";
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((dir + "docs").c_str(), nullptr));
  ASSERT_TRUE(write_file(dir + "docs\\a.txt", "mine"));
  ASSERT_TRUE(set_read_only(dir + "docs\\a.txt", true));
  TestRun run;
  InstallerSettings& s = run.settings;
  s.backup_base_dir = tmp / "GAME";

  EXPECT_FALSE(backup_file(dir, "docs\\a.txt", run));

  EXPECT_EQ(read_file(dir + "docs\\a.txt"), "mine");
  EXPECT_TRUE(is_read_only(dir + "docs\\a.txt"));
  EXPECT_EQ(s.backups.saved, 0);
  EXPECT_EQ(s.backups.not_saved, 1);
}
