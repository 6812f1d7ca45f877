// Runs that fail, are refused or are undone leave the machine as it was: no
// folder of the user's replaced, nothing made before a refusal, no folder
// brought back after a rollback, and a message wherever a person is there
// to read it.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "e2e_paths.h"
#include "setup_run.h"
#include "tests/e2e/install_check.h"
#include "tests/e2e/tree_snapshot.h"
#include "tests/support/win_fs.h"

namespace {

constexpr DWORD exit_user_left = 3;
constexpr DWORD exit_paths_unusable = 4;
constexpr DWORD exit_rolled_back = 5;
constexpr DWORD exit_failed_kept = 6;

class LeftBehind : public ::testing::Test {
 protected:
  std::string installed() const { return target_ / product_folder; }
  SetupRun silent(const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"-G", "-P" + target_.path()};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_setup(e2e_program("e2e_setup"), args);
  }
  // The installation folder, then the user's own.
  void prepare(const std::vector<std::pair<std::string, std::string>>& files) {
    ASSERT_TRUE(CreateDirectoryA(installed().c_str(), nullptr));
    for (const auto& [name, bytes] : files) {
      const std::string path = installed() + "\\" + name;
      if (name.back() == '\\') {
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << name;
      } else {
        ASSERT_TRUE(write_file(path, bytes)) << name;
      }
    }
  }
  void expect_as_before(const TreeSnapshot& before) {
    EXPECT_EQ(tree_differences(before, snapshot(target_.path())), "");
    EXPECT_TRUE(unfinished_records(target_.path()).empty());
  }

  TempDir target_;
};

TEST_F(LeftBehind, AFolderOfTheUsersWhereAFileGoesIsNeverReplaced) {
  // readme.txt is a file of the payload; here it is a folder holding the user's file.
  prepare({{"readme.txt\\", ""}, {"readme.txt\\inner\\", ""}, {"readme.txt\\inner\\user.txt", "mine"}});
  const TreeSnapshot before = snapshot(target_.path());

  const SetupRun undone = silent({"-M", "-R", "-O", "-B"});
  EXPECT_EQ(undone.exit_code, exit_rolled_back) << undone.log;
  EXPECT_TRUE(undone.boxes.empty()) << undone.log;
  expect_as_before(before);

  // -O replaces files, not folders: the failure stays, and so does the user's file.
  const SetupRun kept = silent({"-M", "-R", "-O"});
  EXPECT_EQ(kept.exit_code, exit_failed_kept) << kept.log;
  EXPECT_EQ(read_file(installed() + "\\readme.txt\\inner\\user.txt"), "mine");
}

// The undo of a stopped run cannot take back the new desktop link (another
// program holds it open): the installation folder, which the undo removed,
// is not made again to hold a journal of what was left.
TEST_F(LeftBehind, AnUndoThatLeavesSomethingBringsNoFolderBack) {
  char desktop[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop), S_OK);
  const std::string link = std::string(desktop) + "\\Quasarine II.lnk";
  const TreeSnapshot before = snapshot(target_.path());
  {
    ScopedStop stop("FILE:*log_inst.dat#1");  // every link is made, the journal not yet
    ASSERT_EQ(silent({"-I", "-R"}).exit_code, exit_stopped);
  }
  const HANDLE held = CreateFileA(link.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  const SetupRun undone = silent({"-B"});
  CloseHandle(held);
  EXPECT_EQ(undone.exit_code, exit_rolled_back) << undone.log;
  EXPECT_TRUE(undone.boxes.empty()) << undone.log;
  expect_as_before(before);
  EXPECT_TRUE(file_exists(link));
  DeleteFileA(link.c_str());
}

// log_inst.dat cannot be written (a folder of that name): the report says so,
// the installation stays (exit 6), and the next run can undo it.
TEST_F(LeftBehind, AJournalThatCannotBeWrittenIsReportedAndCanBeUndone) {
  prepare({{"uninst\\", ""}, {"uninst\\log_inst.dat\\", ""}});
  const TreeSnapshot before = snapshot(target_.path());

  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-L0", "-M", "-R"}, 60000, install_into(target_.path()));
  EXPECT_EQ(r.exit_code, exit_failed_kept) << r.log;
  ASSERT_EQ(r.boxes.size(), 2u) << r.log;
  EXPECT_EQ(r.boxes[1].caption, "Install incomplete");
  EXPECT_EQ(r.boxes[1].message,
            "The installation is incomplete: the list of installed files could not be written to\r\n" + installed() +
                "\\uninst\\log_inst.dat\r\nso the game cannot be uninstalled.\r\n"
                "Run this setup again with the same folder to undo the installation.");
  EXPECT_TRUE(file_exists(installed() + "\\readme.txt"));

  const SetupRun undone = silent({"-B"});
  EXPECT_EQ(undone.exit_code, exit_rolled_back) << undone.log;
  expect_as_before(before);
}

TEST_F(LeftBehind, FoldersForSavedFilesThatCannotBeUsedAreRefusedWithAMessage) {
  char windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  const std::string in_windows = std::string(windows) + "\\saved";
  const SetupRun system = run_setup(e2e_program("e2e_setup"), {"-L0", "-p" + in_windows});
  EXPECT_EQ(system.exit_code, exit_paths_unusable) << system.log;
  ASSERT_EQ(system.boxes.size(), 1u) << system.log;
  EXPECT_EQ(system.boxes[0].caption, "Folder for replaced files");
  EXPECT_EQ(system.boxes[0].message, "The folder for replaced files\r\n" + in_windows +
                                         "\r\nlies in the Windows or system folder, where setup keeps no files.\r\n"
                                         "Give another folder with -p, or leave -p out.");
  EXPECT_FALSE(folder_exists(in_windows));

  // Inside the installation folder: refused in the path dialog, which stays
  // open until the user leaves it.
  const std::string inside = installed() + "\\saved";
  const DialogAnswer answer = [&](driver::Driver& d, const driver::Dialog& box) {
    if (box.caption == path_dialog_caption) return install_into(target_.path())(d, box);
    if (box.caption != product_folder) return false;
    d.press(box, IDOK);
    const auto dialog = d.wait_dialog(path_dialog_caption);
    if (dialog) d.close(dialog->hwnd);
    return true;
  };
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-L0", "-p" + inside}, 60000, answer);
  EXPECT_EQ(r.exit_code, exit_user_left) << r.log;
  ASSERT_EQ(r.boxes.size(), 2u) << r.log;
  EXPECT_EQ(r.boxes[1].message, "The folder for replaced files (-p)\r\n" + inside +
                                    "\r\nis the installation folder or lies inside it. Choose another installation "
                                    "folder.");
  EXPECT_TRUE(list_tree(target_.path()).empty());
}

}  // namespace
