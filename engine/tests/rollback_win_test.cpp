// Rollback and clean-up of the backup folder on the real file system, with
// the report and the question read by the test driver (needs a display).
#include "engine/rollback.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "core/file_digest.h"
#include "core/journal.h"
#include "core/settings.h"
#include "core/win_handle.h"
#include "engine/backup_cleanup.h"
#include "engine/places.h"
#include "engine/tests/box_answerer.h"
#include "engine/undo_plan.h"
#include "tests/support/win_fs.h"

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

struct ReportCase {
  std::int32_t language;
  const char* with_leftovers;  // the report of the Rollback.ReportCounts... case
  const char* empty;           // the report for an empty journal
};

const ReportCase report_cases[] = {
    {0,
     "Rollback done.\r\n2 \"overwritten files were saved to temp\".\r\n1 of these files wre sucessfully restored\r\n"
     "1 files in the tempdir beeing unrestored\r\n3 files are now LOST because they haven't been saved\r\n"
     "0 files remain on your System\r\n1 directories remain on your system\r\n0 app-registrations weren't taken back",
     "Rollback done.\r\n0 \"overwritten files were saved to temp\".\r\n0 of these files wre sucessfully restored\r\n"
     "0 files in the tempdir beeing unrestored\r\n0 files are now LOST because they haven't been saved\r\n"
     "0 files remain on your System\r\n0 directories remain on your system\r\n0 app-registrations weren't taken back"},
    {1000,
     "Rollback abgeschlossen.\r\n2 der \xFC" "berschriebenen Dateien wurden zuvor gesichert.\r\n"
     "1 davon wurden auch wiederhergestellt\r\n"
     "1 Dateien wurden zwar gesichert, aber nicht wiederhergestellt, und sollten sich daher noch im "
     "trmpor\xE4ren Ordner befinden.\r\n"
     "3 der \xFC" "berschriebenen Dateien wurden zuvor NICHT GESICHERT und sind daher verloren.\r\n"
     "0 Dateien der Neuinstallation konnten leider NICHT wieder gel\xF6scht werden.\r\n"
     "1 Vezeichnisse der Neuinstalation konnten NICHT wieder gel\xF6scht werden.\r\n"
     "0 Neu-Registrierungen konnten NICHT r\xFC" "ckg\xE4ngig gemacht werden.",
     "Rollback abgeschlossen.\r\n0 der \xFC" "berschriebenen Dateien wurden zuvor gesichert.\r\n"
     "0 davon wurden auch wiederhergestellt\r\n"
     "0 Dateien wurden zwar gesichert, aber nicht wiederhergestellt, und sollten sich daher noch im "
     "trmpor\xE4ren Ordner befinden.\r\n"
     "0 der \xFC" "berschriebenen Dateien wurden zuvor NICHT GESICHERT und sind daher verloren.\r\n"
     "0 Dateien der Neuinstallation konnten leider NICHT wieder gel\xF6scht werden.\r\n"
     "0 Vezeichnisse der Neuinstalation konnten NICHT wieder gel\xF6scht werden.\r\n"
     "0 Neu-Registrierungen konnten NICHT r\xFC" "ckg\xE4ngig gemacht werden."},
};

// An installation that went wrong: a folder it made now holds a file of the
// user's, one record's file is gone already, one saved file comes back
// (read-only, as it was), one cannot, because the user put a file in its place.
TEST(Rollback, ReportCountsWhatStaysAndTheCleanUpAfterItOffersNoCancel) {
  for (const ReportCase& c : report_cases) {
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

    InstallerSettings s;
    s.language_offset = c.language;
    s.backup_dir = saved;
    s.backup.created_dirs = {saved};
    s.backup.items = {{game + "\\b.txt", saved + "\\b.txt", 0, digest_of(saved + "\\b.txt")},
                      {game + "\\c.txt", saved + "\\c.txt", 0, digest_of(saved + "\\c.txt")}};
    s.backups.saved = 2;
    s.backups.not_saved = 3;
    add_record(s.journal, record::dir, game + "\\new");
    add_record(s.journal, record::file, game + "\\new\\ours.txt");
    add_record(s.journal, record::file, game + "\\gone.txt");
    {
      BoxAnswerer boxes("rollback result", {IDOK});
      rollback(s, places_of(game), {});
      ASSERT_EQ(boxes.seen().size(), 1u) << boxes.log();
      EXPECT_EQ(boxes.seen()[0].message, c.with_leftovers);
    }
    EXPECT_EQ(read_records(s.journal), Records{"DIR:" + game + "\\new"});
    EXPECT_EQ(list_tree(game), (Records{"b.txt", "c.txt", "new\\", "new\\users.txt"}));
    EXPECT_EQ(read_file(game + "\\b.txt"), "the user's new b");
    EXPECT_EQ(read_file(game + "\\c.txt"), "old c");
    EXPECT_TRUE(is_read_only(game + "\\c.txt"));

    // The saved file that could not go back is asked about, without Cancel;
    // No keeps it with exactly one record.
    BoxAnswerer question("Delete temporary files?", {IDNO});
    EXPECT_EQ(finish_backups(s, true, {}, nullptr), CleanupResult::go_on);
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

TEST(Rollback, EmptyJournalReportsZeroesInBothLanguages) {
  for (const ReportCase& c : report_cases) {
    InstallerSettings s;
    s.language_offset = c.language;
    BoxAnswerer boxes("rollback result", {IDOK});
    rollback(s, places_of("C:\\nowhere"), {});
    ASSERT_EQ(boxes.seen().size(), 1u) << boxes.log();
    EXPECT_EQ(boxes.seen()[0].message, c.empty);
    EXPECT_TRUE(read_records(s.journal).empty());
  }
}

TEST(FinishBackups, AnEmptyBackupFolderGoesSilentlyAndOnlyTheFoldersThisRunMade) {
  TempDir tmp;
  InstallerSettings s;
  s.backup_dir = tmp / "saved";
  ASSERT_TRUE(CreateDirectoryA(s.backup_dir.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((s.backup_dir + "\\made").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((s.backup_dir + "\\users").c_str(), nullptr));
  s.backup.created_dirs = {s.backup_dir + "\\made"};
  s.backup.items = {{tmp / "game\\a.txt", s.backup_dir + "\\made\\a.txt"}};  // gone meanwhile

  BoxAnswerer none("Delete temporary files?", {});
  EXPECT_EQ(finish_backups(s, false, {}, nullptr), CleanupResult::go_on);
  EXPECT_TRUE(none.seen().empty()) << none.log();
  // Not made by this run ("-p"): the folder and the user's empty folder stay.
  EXPECT_EQ(list_tree(tmp.path()), (Records{"saved\\", "saved\\users\\"}));
  EXPECT_TRUE(read_records(s.journal).empty());

  s.backup.created_dirs.insert(s.backup.created_dirs.begin(), s.backup_dir);
  RemoveDirectoryA((s.backup_dir + "\\users").c_str());
  EXPECT_EQ(finish_backups(s, false, {}, nullptr), CleanupResult::go_on);
  EXPECT_TRUE(list_tree(tmp.path()).empty());
}

}  // namespace
