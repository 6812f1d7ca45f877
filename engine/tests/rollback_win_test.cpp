// Rollback and clean-up of the backup folder on the real file system, with
// the clean-up question asked in the interactive run's message box and
// answered by the test driver (needs a display).
#include "engine/rollback.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "core/file_digest.h"
#include "core/journal.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/win_handle.h"
#include "engine/backup_cleanup.h"
#include "engine/places.h"
#include "engine/tests/box_answerer.h"
#include "engine/tests/test_run.h"
#include "engine/undo_plan.h"
#include "tests/support/win_fs.h"
#include "ui/dialog_answers.h"

namespace {

using Records = std::vector<std::string>;

// The SHA-256 a run takes of a file before it moves it aside.
std::string digest_of(const std::string& path) {
  const WinHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  return file_sha256(file.get());
}

InstallationPlaces places_of(const std::string& install_dir) {
  InstallationPlaces places;
  places.install_dir = install_dir + "\\";
  return places;
}

// An installation that went wrong: a folder it made now holds a file of the
// user's, one record's file is gone already, one saved file comes back
// (read-only, as it was), one cannot, because the user put a file in its place.
TEST(Rollback, ReportCountsWhatStaysAndTheCleanUpAfterItOffersNoCancel) {
  for (const bool german : {false, true}) {
    SCOPED_TRACE(german ? "German" : "English");
    TempDir tmp;
    const std::string game = tmp / "game";
    const std::string saved = tmp / "saved";
    ASSERT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((game + "\\new").c_str(), nullptr));
    ASSERT_TRUE(write_file(game + "\\new\\users.txt", "the user's"));
    ASSERT_TRUE(write_file(game + "\\new\\ours.txt", "installed"));
    ASSERT_TRUE(write_file(game + "\\b.txt", "the user's new b"));
    ASSERT_TRUE(CreateDirectoryA(saved.c_str(), nullptr));
    ASSERT_TRUE(write_file(saved + "\\b.txt", "old b"));
    ASSERT_TRUE(write_file(saved + "\\c.txt", "old c"));
    ASSERT_TRUE(set_read_only(saved + "\\c.txt", true));

    DialogAnswers user(german);
    TestRun test_run(&user);
    InstallRun& run = test_run;
    InstallerSettings& s = run.settings;
    s.language_offset = german ? language_german : language_english;
    s.backup_dir = saved;
    run.backup.created_dirs = {saved};
    run.backup.items = {{game + "\\b.txt", saved + "\\b.txt", 0, digest_of(saved + "\\b.txt")},
                      {game + "\\c.txt", saved + "\\c.txt", 0, digest_of(saved + "\\c.txt")}};
    s.backups.saved = 2;
    s.backups.not_saved = 3;
    add_record(s.journal, record::dir, game + "\\new");
    add_record(s.journal, record::file, game + "\\new\\ours.txt");
    add_record(s.journal, record::file, game + "\\gone.txt");
    rollback(run, places_of(game), {});
    const RollbackNumbers n = rollback_numbers(s, 2);
    EXPECT_EQ((std::vector<std::int32_t>{n.saved, n.restored, n.unrestored, n.not_saved, n.files_left,
                                         n.folders_left, n.registrations_left}),
              (std::vector<std::int32_t>{2, 1, 1, 3, 0, 1, 0}));
    EXPECT_EQ(read_records(s.journal), Records{"DIR:" + game + "\\new"});
    EXPECT_EQ(list_tree(game), (Records{"b.txt", "c.txt", "new\\", "new\\users.txt"}));
    EXPECT_EQ(read_file(game + "\\b.txt"), "the user's new b");
    EXPECT_EQ(read_file(game + "\\c.txt"), "old c");
    EXPECT_TRUE(is_read_only(game + "\\c.txt"));

    // The saved file that could not go back is asked about, without Cancel;
    // No keeps it with exactly one record.
    BoxAnswerer question(caption(Msg::cleanup_head, german), {IDNO});
    EXPECT_EQ(finish_backups(run, true, {}), CleanupResult::go_on);
    ASSERT_EQ(question.seen().size(), 1u) << question.log();
    ASSERT_EQ(question.seen()[0].buttons.size(), 2u);
    EXPECT_EQ(question.seen()[0].buttons[0].id, IDYES);
    EXPECT_EQ(question.seen()[0].buttons[1].id, IDNO);
    EXPECT_EQ(read_records(s.journal), (Records{"DIR:" + game + "\\new", "RDIR:" + saved}));
    EXPECT_EQ(list_tree(saved), Records{"b.txt"});
  }
}

// A run killed while it moved read-only files aside: one had lost its
// read-only attribute for the move, which never came; one was moved and had
// not got it back. The undo gives both the attributes the record kept. A
// third was changed in the backup folder after the kill: it stays there.
TEST(Rollback, FilesStoppedMidMoveGetTheirAttributesBackAndChangedOnesStay) {
  TempDir tmp;
  const std::string game = tmp / "game";
  const std::string saved = tmp / "saved";
  ASSERT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(saved.c_str(), nullptr));
  ASSERT_TRUE(write_file(game + "\\unmoved.txt", "a"));
  ASSERT_TRUE(write_file(saved + "\\moved.txt", "b"));
  ASSERT_TRUE(write_file(saved + "\\swapped.txt", "c"));
  const std::string swapped_digest = digest_of(saved + "\\swapped.txt");
  ASSERT_TRUE(write_file(saved + "\\swapped.txt", "somebody else's"));
  constexpr DWORD read_only_hidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  RecordedRun run;
  run.backup_dir = saved;
  run.saved = {{game + "\\unmoved.txt", saved + "\\unmoved.txt", read_only_hidden, std::string(64, '0')},
               {game + "\\moved.txt", saved + "\\moved.txt", read_only_hidden, digest_of(saved + "\\moved.txt")},
               {game + "\\swapped.txt", saved + "\\swapped.txt", 0, swapped_digest}};
  const UndoPlan plan = plan_undo({run}, places_of(game), RecordSource::stopped_run);
  ASSERT_TRUE(plan.refused.empty());
  const UndoOutcome outcome = carry_out(plan, {});
  EXPECT_EQ(outcome.restored, 1);
  EXPECT_EQ(outcome.changed, Records{saved + "\\swapped.txt"});
  for (const char* name : {"unmoved.txt", "moved.txt"}) {
    EXPECT_EQ(GetFileAttributesA((game + "\\" + name).c_str()) & read_only_hidden, read_only_hidden) << name;
  }
  EXPECT_EQ(read_file(game + "\\moved.txt"), "b");
  EXPECT_FALSE(file_exists(game + "\\swapped.txt"));
  EXPECT_EQ(read_file(saved + "\\swapped.txt"), "somebody else's");
  for (const char* name : {"unmoved.txt", "moved.txt"}) set_read_only(game + "\\" + name, false);
}

TEST(FinishBackups, AnEmptyBackupFolderGoesSilentlyAndOnlyTheFoldersThisRunMade) {
  TempDir tmp;
  TestRun test_run;
  InstallRun& run = test_run;
  InstallerSettings& s = run.settings;
  s.backup_dir = tmp / "saved";
  ASSERT_TRUE(CreateDirectoryA(s.backup_dir.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((s.backup_dir + "\\made").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((s.backup_dir + "\\users").c_str(), nullptr));
  run.backup.created_dirs = {s.backup_dir + "\\made"};
  run.backup.items = {{tmp / "game\\a.txt", s.backup_dir + "\\made\\a.txt"}};  // gone meanwhile

  EXPECT_EQ(finish_backups(run, false, {}), CleanupResult::go_on);
  // Not made by this run ("-p"): the folder and the user's empty folder stay.
  EXPECT_EQ(list_tree(tmp.path()), (Records{"saved\\", "saved\\users\\"}));
  EXPECT_TRUE(read_records(s.journal).empty());

  run.backup.created_dirs.insert(run.backup.created_dirs.begin(), s.backup_dir);
  RemoveDirectoryA((s.backup_dir + "\\users").c_str());
  EXPECT_EQ(finish_backups(run, false, {}), CleanupResult::go_on);
  EXPECT_TRUE(list_tree(tmp.path()).empty());
}

}  // namespace
