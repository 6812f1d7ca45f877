// The overwrite policy as extraction applies it: with overwrite_all set, in a
// silent run, and with the question asked in the interactive run's message
// box and answered by the test driver (needs a display: run under
// scripts/with-wine).
#include "engine/overwrite.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "core/settings.h"
#include "core/win_handle.h"
#include "engine/extract.h"
#include "core/journal.h"
#include "engine/tests/box_answerer.h"
#include "tests/support/scoped_env.h"
#include "engine/tests/test_payload.h"
#include "engine/tests/test_run.h"
#include "tests/support/win_fs.h"
#include "ui/dialog_answers.h"

namespace {

using Records = std::vector<std::string>;

// An installation folder holding an earlier installation, and a private TEMP
// for the backup folder.
class OverwritePolicy : public ::testing::Test {
 protected:
  OverwritePolicy() : env_("TEMP", temp_.path()) {}

  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((dir_ + "docs").c_str(), nullptr));
    ASSERT_TRUE(write_file(dir_ + "docs\\readme.txt", "old readme"));
    ASSERT_TRUE(set_read_only(dir_ + "docs\\readme.txt", true));
    ASSERT_TRUE(write_file(dir_ + "top.txt", "old top"));
  }

  TempDir tmp_;
  TempDir temp_;
  ScopedEnv env_;
  const std::string dir_ = tmp_ / "game\\";
  const TestPayload payload_{{
      FilesetEntry::file("new1.txt", "new 1"),
      FilesetEntry::folder("docs"),
      FilesetEntry::file("docs\\readme.txt", "new readme"),
      FilesetEntry::file("new2.txt", "new 2"),
      FilesetEntry::file("top.txt", "new top"),
      FilesetEntry::folder("later"),
  }};
};

}  // namespace

TEST_F(OverwritePolicy, OverwriteAllReplacesAndSavesTheOldFiles) {
  TestRun run;
  InstallerSettings& s = run.settings;
  s.overwrite_all = true;

  EXPECT_EQ(install_fileset(payload_.view(), payload_.sums(), dir_, true, run), 0);

  EXPECT_EQ(read_file(dir_ + "docs\\readme.txt"), "new readme");
  EXPECT_EQ(read_file(dir_ + "top.txt"), "new top");
  ASSERT_EQ(s.backup_dir.rfind(temp_ / "Installer_", 0), 0u) << s.backup_dir;
  EXPECT_EQ(s.backup_dir.size(), temp_.path().size() + 19);
  EXPECT_EQ(read_file(s.backup_dir + "\\docs\\readme.txt"), "old readme");
  EXPECT_TRUE(is_read_only(s.backup_dir + "\\docs\\readme.txt"));
  EXPECT_EQ(read_file(s.backup_dir + "\\top.txt"), "old top");
  EXPECT_EQ(list_tree(s.backup_dir), (Records{"docs\\", "docs\\readme.txt", "top.txt"}));
  EXPECT_EQ(s.backups.saved, 2);
  EXPECT_EQ(s.backups.not_saved, 0);
  // Replaced files are journaled like new ones; the existing folder is not.
  EXPECT_EQ(read_records(s.journal),
            (Records{"FILE:" + dir_ + "new1.txt", "FILE:" + dir_ + "docs\\readme.txt", "FILE:" + dir_ + "new2.txt",
                     "FILE:" + dir_ + "top.txt", "DIR:" + dir_ + "later"}));
}

TEST_F(OverwritePolicy, SilentRunStopsAtTheFirstExistingFile) {
  TestRun run;
  InstallerSettings& s = run.settings;

  EXPECT_EQ(install_fileset(payload_.view(), payload_.sums(), dir_, true, run), 1);

  EXPECT_EQ(read_file(dir_ + "new1.txt"), "new 1");
  EXPECT_EQ(read_file(dir_ + "docs\\readme.txt"), "old readme");
  EXPECT_FALSE(file_exists(dir_ + "new2.txt"));
  EXPECT_FALSE(folder_exists(dir_ + "later"));
  EXPECT_EQ(read_records(s.journal), Records{"FILE:" + dir_ + "new1.txt"});
  EXPECT_TRUE(s.backup_dir.empty());
  EXPECT_EQ(list_tree(temp_.path()), Records{});
}

TEST_F(OverwritePolicy, AFileThatCannotBeSavedEndsTheWalkUntouched) {
  TestRun run;
  InstallerSettings& s = run.settings;
  s.overwrite_all = true;
  // Open elsewhere without sharing: it can be neither moved nor replaced (32).
  WinHandle held(CreateFileA((dir_ + "top.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);

  EXPECT_EQ(install_fileset(payload_.view(), payload_.sums(), dir_, true, run), 1);
  held.reset();

  EXPECT_EQ(read_file(dir_ + "top.txt"), "old top");
  EXPECT_FALSE(folder_exists(dir_ + "later"));
  EXPECT_EQ(s.backups.saved, 1);      // docs\readme.txt
  EXPECT_EQ(s.backups.not_saved, 0);  // top.txt was not replaced, so nothing is lost
  EXPECT_EQ(list_tree(s.backup_dir), (Records{"docs\\", "docs\\readme.txt"}));
}

// A folder where a file goes is the user's with all it holds: never moved or
// deleted, whatever -O says. Only an empty one is saved and replaced.
TEST_F(OverwritePolicy, AFolderWhereAFileGoesIsReplacedOnlyWhenEmpty) {
  for (const bool empty : {false, true}) {
    SCOPED_TRACE(empty ? "empty folder" : "folder with a file");
    remove_tree(dir_ + "new2.txt");
    remove_tree(dir_ + "new1.txt");
    ASSERT_TRUE(CreateDirectoryA((dir_ + "new2.txt").c_str(), nullptr));
    if (!empty) {
      ASSERT_TRUE(write_file(dir_ + "new2.txt\\inside.txt", "inside"));
    }
    TestRun run;
    InstallerSettings& s = run.settings;
    s.overwrite_all = true;

    EXPECT_EQ(install_fileset(payload_.view(), payload_.sums(), dir_, true, run), empty ? 0 : 1);

    if (empty) {
      EXPECT_EQ(read_file(dir_ + "new2.txt"), "new 2");
      EXPECT_TRUE(folder_exists(s.backup_dir + "\\new2.txt"));
    } else {
      EXPECT_EQ(read_file(dir_ + "new2.txt\\inside.txt"), "inside");
      EXPECT_EQ(read_file(dir_ + "top.txt"), "old top") << "the walk ended there";
    }
    remove_tree(s.backup_dir);
  }
}

TEST_F(OverwritePolicy, PresetBackupFolderTakesTheFilesDirectly) {
  TestRun run;
  InstallerSettings& s = run.settings;
  s.overwrite_all = true;
  s.backup_base_dir = tmp_ / "saved\\by\\option";

  EXPECT_EQ(install_fileset(payload_.view(), payload_.sums(), dir_, true, run), 0);

  EXPECT_EQ(s.backup_dir, s.backup_base_dir);
  EXPECT_EQ(read_file(s.backup_base_dir + "\\docs\\readme.txt"), "old readme");
  EXPECT_EQ(read_file(s.backup_base_dir + "\\top.txt"), "old top");
  EXPECT_EQ(list_tree(temp_.path()), Records{}) << "no Installer_ folder";
}

namespace {

const std::vector<int> yes_no_cancel = {IDYES, IDNO, IDCANCEL};

std::vector<int> button_ids(const driver::Dialog& box) {
  std::vector<int> ids;
  for (const auto& b : box.buttons) ids.push_back(b.id);
  return ids;
}

}  // namespace

TEST_F(OverwritePolicy, YesReplacesThisAndEveryLaterFileWithoutAsking) {
  DialogAnswers user(false);
  TestRun run(&user);
  InstallerSettings& s = run.settings;
  BoxAnswerer answerer("Install failed", {IDYES});

  EXPECT_EQ(install_fileset(payload_.view(), payload_.sums(), dir_, true, run), 0);

  const auto& boxes = answerer.seen();
  ASSERT_EQ(boxes.size(), 1u) << answerer.log();
  EXPECT_EQ(boxes[0].caption, "Install failed");
  EXPECT_EQ(boxes[0].message, "The file" + dir_ + "docs\\readme.txt\r\n" +
                                  "already exists. Should we overwrite ALL existing files?\r\n"
                                  "Select YES to overwrite ALL existing files\r\n"
                                  "Select NO to OVERWRITE THIS file (and keep warning about existing files)\r\n"
                                  "Select CANCEL to not overwrite this file and abort the hole installation.\r\n"
                                  "\r\n"
                                  "Always overwrite?");
  EXPECT_EQ(button_ids(boxes[0]), yes_no_cancel);
  EXPECT_TRUE(run.run.replace_all);
  EXPECT_FALSE(s.overwrite_all) << "the answer is the run's, not an option";
  EXPECT_EQ(read_file(dir_ + "docs\\readme.txt"), "new readme");
  EXPECT_EQ(read_file(dir_ + "top.txt"), "new top");
  EXPECT_EQ(s.backups.saved, 2);
}

TEST_F(OverwritePolicy, NoReplacesOnlyThisFileAndTheNextIsAskedAgain) {
  DialogAnswers user(true);
  TestRun run(&user);
  InstallerSettings& s = run.settings;
  s.language_offset = language_german;
  BoxAnswerer answerer("Install failed", {IDNO, IDNO});

  EXPECT_EQ(install_fileset(payload_.view(), payload_.sums(), dir_, true, run), 0);

  const auto& boxes = answerer.seen();
  ASSERT_EQ(boxes.size(), 2u) << answerer.log();
  // The German text as Windows-1252 bytes.
  const std::string rest =
      "existiert bereits. Sollen nun alle bereits exitierenden Dateien \xFC"
      "berschrieben werden?\r\n"
      "W\xE4hlen sie JA, werden alle weiteren evtl. vorhandenen gleichnamigen Dateien \xFC"
      "berschrieben.\r\n"
      "W\xE4hlen sie NEIN, so wird NUR DIESE Datei \xDC"
      "BERSCHRIEBEN\r\n"
      "W\xE4hlen sie ABBRUCH um keine Dateien zu \xFC"
      "berschreiben und die Installation abzubrechen.\r\n"
      "\r\n"
      "Immer \xDC"
      "berschreiben?";
  EXPECT_EQ(boxes[0].message, "Die Datei" + dir_ + "docs\\readme.txt\r\n" + rest);
  EXPECT_EQ(boxes[1].message, "Die Datei" + dir_ + "top.txt\r\n" + rest);
  EXPECT_EQ(boxes[1].caption, "Install failed");
  EXPECT_EQ(button_ids(boxes[1]), yes_no_cancel);
  EXPECT_FALSE(run.run.replace_all);
  EXPECT_EQ(read_file(dir_ + "top.txt"), "new top");
  EXPECT_EQ(s.backups.saved, 2);
}

TEST_F(OverwritePolicy, CancelKeepsTheFileAndEndsTheInstallation) {
  DialogAnswers user(false);
  TestRun run(&user);
  InstallerSettings& s = run.settings;
  BoxAnswerer answerer("Install failed", {IDCANCEL});

  EXPECT_EQ(install_fileset(payload_.view(), payload_.sums(), dir_, true, run), 1);

  ASSERT_EQ(answerer.seen().size(), 1u) << answerer.log();
  EXPECT_EQ(read_file(dir_ + "docs\\readme.txt"), "old readme");
  EXPECT_FALSE(file_exists(dir_ + "new2.txt"));
  EXPECT_EQ(read_records(s.journal), Records{"FILE:" + dir_ + "new1.txt"});
  EXPECT_TRUE(s.backup_dir.empty());
  EXPECT_EQ(s.backups.saved + s.backups.not_saved, 0);
}
