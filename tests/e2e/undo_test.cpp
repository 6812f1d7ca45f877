// Undoing an installation over an earlier one, end to end: the rollback after
// a failure, and what becomes of the saved files at the end.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e_paths.h"
#include "setup_run.h"
#include "tests/e2e/install_check.h"
#include "tests/e2e/tree_snapshot.h"
#include "tests/support/win_fs.h"

namespace {

constexpr DWORD exit_paths_unusable = 4;
constexpr DWORD exit_rolled_back = 5;

// An earlier installation the new one cannot complete: "data" is a file of
// the user's where the payload has a folder, so the files below it cannot be
// created. readme.txt (read-only) and the uninstaller are replaced and saved.
class FailingOverEarlier : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string d = installed();
    ASSERT_TRUE(CreateDirectoryA(d.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((d + "\\uninst").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((d + "\\mine").c_str(), nullptr));
    ASSERT_TRUE(write_file(d + "\\readme.txt", "my own notes"));
    ASSERT_TRUE(set_read_only(d + "\\readme.txt", true));
    ASSERT_TRUE(write_file(d + "\\data", "not a folder"));
    ASSERT_TRUE(write_file(d + "\\mine\\notes.txt", "mine"));
    ASSERT_TRUE(write_file(d + "\\uninst\\uninstall.exe", "old uninstaller"));
    ASSERT_TRUE(write_file(d + "\\uninst\\log_inst.dat", "DIR:C:\\earlier\r\n"));
    before_ = snapshot(target_.path());
    backups_before_ = installer_entries_in_temp();
  }
  std::string installed() const { return target_ / product_folder; }
  // An interactive run into the test's folder: the path dialog gets it, the
  // boxes after it get the answers; the path dialog is left out of the boxes.
  // An earlier run of the same test made the start-menu entries: the dialog's
  // question about them gets OK and is left out too.
  SetupRun run_interactive(const std::vector<std::string>& args, const std::vector<int>& answers) {
    const DialogAnswer path = install_into(target_.path());
    const DialogAnswer answer = [path](driver::Driver& d, const driver::Dialog& box) {
      if (path(d, box)) return true;
      if (box.caption != product_folder) return false;
      d.press(box, IDOK);
      return true;
    };
    SetupRun r = run_setup(e2e_program("e2e_setup"), args, 60000, answers, answer);
    r.boxes.erase(std::remove_if(r.boxes.begin(), r.boxes.end(),
                                 [](const driver::Dialog& box) {
                                   return box.caption == path_dialog_caption || box.caption == product_folder;
                                 }),
                  r.boxes.end());
    return r;
  }
  void expect_as_before() {
    EXPECT_EQ(tree_differences(before_, snapshot(target_.path())), "");
    EXPECT_EQ(installer_entries_in_temp(), backups_before_);
  }

  TempDir target_;
  TreeSnapshot before_;
  std::vector<std::string> backups_before_;
};

TEST_F(FailingOverEarlier, RollbackOnRequestPutsEverythingBackAndReportsInTheRunsLanguage) {
  struct Case {
    const char* language;
    const char* question;
    const char* report;
  };
  const Case cases[] = {
      {"-L0",
       "Installtion failed.\r\nSelect Yes to try to rollback all changes to your system,\r\n"
       "Select No to ignore the problem and try to create the selected shortcuts.",
       "Rollback done.\r\n2 \"overwritten files were saved to temp\".\r\n2 of these files wre sucessfully restored\r\n"
       "0 files in the tempdir beeing unrestored\r\n0 files are now LOST because they haven't been saved\r\n"
       "0 files remain on your System\r\n0 directories remain on your system\r\n0 app-registrations weren't taken back"},
      {"-L1000",
       "Fehler bei Installation gefunden.\r\nSoll versucht werden, die Installation r\xFC" "ckg\xE4ngig zu machen?\r\n"
       "W\xE4hlen sie NEIN, so wird noch versucht, die gew\xE4hlten Verkn\xFCpfungen zu erstellen,\r\n"
       "w\xE4hlen sie Ja, so wird der Versuch unternommen, alle \xC4nderungen an ihrem System r\xFC" "ckg\xE4ngig zu "
       "machen.\r\n",
       "Rollback abgeschlossen.\r\n2 der \xFC" "berschriebenen Dateien wurden zuvor gesichert.\r\n"
       "2 davon wurden auch wiederhergestellt\r\n"
       "0 Dateien wurden zwar gesichert, aber nicht wiederhergestellt, und sollten sich daher noch im "
       "trmpor\xE4ren Ordner befinden.\r\n"
       "0 der \xFC" "berschriebenen Dateien wurden zuvor NICHT GESICHERT und sind daher verloren.\r\n"
       "0 Dateien der Neuinstallation konnten leider NICHT wieder gel\xF6scht werden.\r\n"
       "0 Vezeichnisse der Neuinstalation konnten NICHT wieder gel\xF6scht werden.\r\n"
       "0 Neu-Registrierungen konnten NICHT r\xFC" "ckg\xE4ngig gemacht werden."},
  };
  for (const Case& c : cases) {
    const SetupRun r = run_interactive({"-O", c.language}, {IDYES});
    ASSERT_TRUE(r.finished) << r.log;
    EXPECT_EQ(r.exit_code, exit_rolled_back) << r.log;
    ASSERT_EQ(r.boxes.size(), 2u) << r.log;
    EXPECT_EQ(r.boxes[0].caption, "Install failed");
    EXPECT_EQ(r.boxes[0].message, c.question);
    ASSERT_EQ(r.boxes[0].buttons.size(), 2u);
    EXPECT_EQ(r.boxes[1].caption, "rollback result");
    EXPECT_EQ(r.boxes[1].message, c.report);
    expect_as_before();
  }
}

TEST_F(FailingOverEarlier, SilentRunRollsBackWithBQuietlyAndKeepsItWithout) {
  const SetupRun undone = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-O", "-B", "-P" + target_.path()});
  ASSERT_TRUE(undone.finished) << undone.log;
  EXPECT_EQ(undone.exit_code, exit_rolled_back);
  EXPECT_TRUE(undone.boxes.empty()) << undone.log;
  expect_as_before();

  // Without -B the installation stays, and its journal lists what it wrote.
  const SetupRun kept = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-O", "-P" + target_.path()});
  EXPECT_EQ(kept.exit_code, 6u);
  const std::vector<std::string> lines = journal_lines(read_file(installed() + "\\uninst\\log_inst.dat").value_or(""));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "DIR:C:\\earlier");
  EXPECT_EQ(lines[1], probe_record(installed()));
  EXPECT_EQ(lines[2], "DIR:" + installed() + "\\Gr\xFC\xDF" "e");
  EXPECT_EQ(lines.back(), "FILE:" + installed() + "\\uninst\\log_inst.dat");
  EXPECT_TRUE(unfinished_records(target_.path()).empty());
}

// The clean-up question with a "-p" folder that holds a file of the user's:
// only what the run saved there is deleted, kept or moved back.
TEST_F(FailingOverEarlier, CleanUpActsOnlyOnWhatThisRunSavedInTheGivenFolder) {
  ASSERT_TRUE(RemoveDirectoryA((installed() + "\\data").c_str()) || DeleteFileA((installed() + "\\data").c_str()));
  before_ = snapshot(target_.path());
  const std::string saved = target_ / "saved";
  ASSERT_TRUE(CreateDirectoryA(saved.c_str(), nullptr));
  ASSERT_TRUE(write_file(saved + "\\users_own.txt", "keep"));
  const std::vector<std::string> only_users = {"users_own.txt"};
  const std::vector<std::string> args = {"-O", "-L0", "-p" + saved};

  // Cancel rolls back; nothing further is asked or installed.
  const SetupRun cancel = run_interactive(args, {IDCANCEL});
  EXPECT_EQ(cancel.exit_code, exit_rolled_back) << cancel.log;
  ASSERT_EQ(cancel.boxes.size(), 2u) << cancel.log;
  EXPECT_EQ(cancel.boxes[0].caption, "Delete temporary files?");
  EXPECT_EQ(cancel.boxes[0].buttons.size(), 3u);
  EXPECT_EQ(cancel.boxes[0].message,
            "The files you chose to be overwritten were saved to the temporary path\r\n" + saved +
                "\r\n\r\nSelect YES to finally delete them\r\n"
                "Select NO to (maximally) keep them there until uninstall (uninstaller doesn't have a provision deal "
                "with such files except deleting)\r\n"
                "Select CANCEL to unroll the hole installation now\r\n\r\n"
                "Sure you want to delete the \"overwritten\" files?");
  EXPECT_EQ(cancel.boxes[1].caption, "rollback result");
  EXPECT_EQ(list_tree(saved), only_users);
  // The snapshot covers saved\ too, made before it.
  TreeSnapshot with_saved = before_;
  with_saved["saved\\"] = {FILE_ATTRIBUTE_DIRECTORY, ""};
  with_saved["saved\\users_own.txt"] = {0, "keep"};
  EXPECT_EQ(tree_differences(with_saved, snapshot(target_.path())), "");

  // No keeps the saved files with exactly one record.
  const SetupRun no = run_interactive(args, {IDNO});
  EXPECT_EQ(no.exit_code, 0u) << no.log;
  const std::vector<std::string> lines = journal_lines(read_file(installed() + "\\uninst\\log_inst.dat").value_or(""));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "RDIR:" + saved), 1);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("RDIR:", 0) == 0; }), 1);
  EXPECT_EQ(list_tree(saved), (std::vector<std::string>{"readme.txt", "uninst\\", "uninst\\uninstall.exe", "users_own.txt"}));
  EXPECT_TRUE(is_read_only(saved + "\\readme.txt"));

  // Yes deletes what this run saved, read-only files too; the user's file and
  // the folder, which this run did not make, stay. The files saved by the
  // run before are the user's business now.
  remove_tree(saved + "\\uninst");
  set_read_only(saved + "\\readme.txt", false);
  DeleteFileA((saved + "\\readme.txt").c_str());
  const SetupRun yes = run_interactive(args, {IDYES});
  EXPECT_EQ(yes.exit_code, 0u) << yes.log;
  ASSERT_EQ(yes.boxes.size(), 2u) << yes.log;
  EXPECT_EQ(yes.boxes[1].caption, "Install complete");
  EXPECT_EQ(list_tree(saved), only_users);
  EXPECT_EQ(read_file(saved + "\\users_own.txt"), "keep");
}

TEST_F(FailingOverEarlier, BackupFolderInTheSystemFoldersIsRefusedBeforeAnythingIsWritten) {
  char windows[MAX_PATH] = {};
  char system[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  for (const std::string& p : {std::string(system), std::string(windows) + "\\saved", std::string(windows) + "/Temp/../x"}) {
    const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-O", "-B", "-P" + target_.path(), "-p" + p});
    EXPECT_EQ(r.exit_code, exit_paths_unusable) << p;
    EXPECT_TRUE(r.boxes.empty()) << r.log;
  }
  EXPECT_FALSE(folder_exists(std::string(windows) + "\\saved"));
  expect_as_before();
}

// A full drive in the middle of an installation over an earlier one, on the
// 1 MiB drive Q: of the engine tests' fixture.
TEST(FullDiskRollback, PutsTheEarlierInstallationBack) {
  if (!folder_exists("Q:\\")) GTEST_SKIP() << "drive Q: is not set up (the fixture needs root)";
  const ScopedNoSpaceCheck while_writing;
  const std::string installed = std::string("Q:\\") + product_folder;
  remove_tree(installed);
  ASSERT_TRUE(CreateDirectoryA(installed.c_str(), nullptr));
  ASSERT_TRUE(write_file(installed + "\\readme.txt", "my own notes"));
  ASSERT_TRUE(set_read_only(installed + "\\readme.txt", true));
  const TreeSnapshot before = snapshot("Q:");
  const std::vector<std::string> backups_before = installer_entries_in_temp();

  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-O", "-B", "-PQ:\\"});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, exit_rolled_back);
  EXPECT_TRUE(r.boxes.empty()) << r.log;
  EXPECT_EQ(tree_differences(before, snapshot("Q:")), "");
  EXPECT_EQ(installer_entries_in_temp(), backups_before);
  remove_tree(installed);
}

}  // namespace
