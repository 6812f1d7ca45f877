// Silent installations of the generated product, end to end: what lands on
// disk, what log_inst.dat says, what the user is told and what a script
// reads from the exit code.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "e2e_paths.h"
#include "setup_run.h"
#include "tests/e2e/install_check.h"
#include "tests/support/win_fs.h"

namespace {

constexpr DWORD exit_paths_unusable = 4;
constexpr DWORD exit_failed_kept = 6;

class SilentInstall : public ::testing::Test {
 protected:
  std::string installed() const { return target_ / product_folder; }
  std::string journal_path() const { return installed() + "\\uninst\\log_inst.dat"; }

  TempDir target_;
};

TEST_F(SilentInstall, WritesEveryFileWholeJournalsItInOrderAndReportsTheCount) {
  const std::vector<std::string> backups_before = installer_entries_in_temp();
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-P" + target_.path()});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, 0u) << r.log;

  expect_same_files(e2e_product_files, installed(), installation_adds);

  const auto journal = read_file(journal_path());
  ASSERT_TRUE(journal);
  const std::vector<std::string> lines = journal_lines(*journal);
  EXPECT_EQ(lines, expected_fresh_journal(installed()));

  ASSERT_EQ(r.boxes.size(), 1u) << r.log;
  EXPECT_EQ(r.boxes[0].caption, "Install complete");
  EXPECT_EQ(r.boxes[0].message, "Sucessfully installed " + std::to_string(file_records(lines)) + " Files.");
  ASSERT_EQ(r.boxes[0].buttons.size(), 1u);
  EXPECT_EQ(r.boxes[0].buttons[0].id, IDOK);

  // Nothing was replaced, so no backup folder was made.
  EXPECT_EQ(installer_entries_in_temp(), backups_before);
}

TEST_F(SilentInstall, GermanRunReportsInGerman) {
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-L1000", "-P" + target_.path()});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, 0u) << r.log;
  const auto journal = read_file(journal_path());
  ASSERT_TRUE(journal);
  ASSERT_EQ(r.boxes.size(), 1u) << r.log;
  EXPECT_EQ(r.boxes[0].caption, "Install complete");
  EXPECT_EQ(r.boxes[0].message,
            "Es wurden " + std::to_string(file_records(journal_lines(*journal))) + " Dateien erfolgreich installiert.");
}

TEST_F(SilentInstall, SecondInstallationAppendsItsRecordsToTheSameJournal) {
  const SetupRun first = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-P" + target_.path()});
  ASSERT_EQ(first.exit_code, 0u) << first.log;
  const SetupRun second =
      run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-O", "-P" + target_.path(), "-p" + (target_ / "saved")});
  ASSERT_TRUE(second.finished) << second.log;
  EXPECT_EQ(second.exit_code, 0u) << second.log;

  // The folders exist already: the second run journals its probe and its
  // files, then the folder given with -p, where the replaced files stay (the
  // clean-up comes before the links), then its links, the backup list (the
  // first run's links it replaced, and the files it kept) and journal file.
  std::vector<std::string> expected = expected_fresh_journal(installed());
  expected.push_back(probe_record(installed()));
  for (const std::string& line : expected_fresh_journal(installed())) {
    if (line.rfind("FILE:", 0) == 0) expected.push_back(line);
  }
  expected.insert(expected.end() - 3, "RDIR:" + (target_ / "saved"));
  expected.insert(expected.end() - 1, "FILE:" + installed() + "\\uninst\\log_backup.dat");
  const auto journal = read_file(journal_path());
  ASSERT_TRUE(journal);
  EXPECT_EQ(journal_lines(*journal), expected);

  // The report counts this run's records only.
  ASSERT_EQ(second.boxes.size(), 1u) << second.log;
  EXPECT_EQ(second.boxes[0].message, "Sucessfully installed 14 Files.");
}

TEST_F(SilentInstall, AJournalThatCannotBeWrittenIsNoSuccess) {
  // Without its journal the installation could not be uninstalled. The
  // journal of an earlier run is held open without sharing, as another
  // program might; its contents must survive.
  ASSERT_TRUE(CreateDirectoryA(installed().c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((installed() + "\\uninst").c_str(), nullptr));
  ASSERT_TRUE(write_file(journal_path(), "DIR:C:\\earlier\r\n"));
  const HANDLE lock = CreateFileA(journal_path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);

  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-P" + target_.path()});
  CloseHandle(lock);
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, exit_failed_kept);
  // The final report a silent run shows says what went wrong.
  ASSERT_EQ(r.boxes.size(), 1u) << r.log;
  EXPECT_EQ(r.boxes[0].caption, "Install incomplete");
  EXPECT_EQ(r.boxes[0].message, "The installation is incomplete: the list of installed files could not be written to\r\n" +
                                    journal_path() +
                                    "\r\nso the game cannot be uninstalled.\r\n"
                                    "Run this setup again with the same folder to undo the installation.");
  EXPECT_EQ(read_file(journal_path()), std::string("DIR:C:\\earlier\r\n"));
  // So it can: the run's record stayed, and the next run undoes it.
  EXPECT_EQ(unfinished_records(target_.path()).size(), 1u);
  const SetupRun undone = run_setup(e2e_program("e2e_setup"), {"-G", "-B", "-P" + target_.path()});
  EXPECT_EQ(undone.exit_code, 5u) << undone.log;
  EXPECT_EQ(list_tree(installed()), (std::vector<std::string>{"uninst\\", "uninst\\log_inst.dat"}));
  EXPECT_EQ(read_file(journal_path()), std::string("DIR:C:\\earlier\r\n"));
  EXPECT_TRUE(unfinished_records(target_.path()).empty());
}

TEST(SilentInstallDefaults, GoesBelowTheProgramFilesFolder) {
  char program_files[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, program_files), S_OK);
  const std::string installed = std::string(program_files) + "\\" + product_folder;
  remove_tree(installed);

  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R"});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, 0u) << r.log;
  EXPECT_TRUE(file_exists(installed + "\\exebin\\quasarine2.exe"));
  EXPECT_TRUE(file_exists(installed + "\\uninst\\log_inst.dat"));
  remove_tree(installed);
}

TEST_F(SilentInstall, FolderTooLongIsRefusedBeforeAnythingIsWritten) {
  // With the product folder appended the path passes 255 characters.
  const std::string deep = target_.path() + "\\" + std::string(250 - target_.path().size(), 'd');
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-P" + deep});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, exit_paths_unusable);
  EXPECT_TRUE(r.boxes.empty()) << r.log;
  EXPECT_TRUE(list_tree(target_.path()).empty());
}

TEST_F(SilentInstall, FolderTooLongForAnEntryIsRefusedBeforeAnythingIsWritten) {
  // The folder itself fits, but "FILE:" + it + "data\levels\one\level1.dat" would not.
  const std::string deep = target_.path() + "\\" + std::string(215 - target_.path().size(), 'd');
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-P" + deep});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, exit_paths_unusable);
  EXPECT_TRUE(r.boxes.empty()) << r.log;
  EXPECT_TRUE(list_tree(target_.path()).empty());
}

TEST_F(SilentInstall, BackupFolderTooLongIsRefusedNotCut) {
  // Cut, it would name another folder, perhaps one of the user's.
  const std::string saved = target_.path() + "\\" + std::string(300, 's');
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-O", "-P" + target_.path(), "-p" + saved});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, exit_paths_unusable);
  EXPECT_TRUE(r.boxes.empty()) << r.log;
  EXPECT_TRUE(list_tree(target_.path()).empty());
}

}  // namespace

// Folders a silent run cannot use are refused before anything is written:
// exit 4, no message, nothing on disk. A folder for saved files inside the
// installation folder would have the run move files within it.
TEST(SilentInstallRefusal, UnusableFoldersAreRefusedBeforeAnythingIsWritten) {
  TempDir target;
  ASSERT_TRUE(write_file(target / "file.txt", "a file, not a folder"));
  const std::string installed = target / product_folder;
  const struct {
    const char* why;
    std::vector<std::string> args;
  } cases[] = {
      {"a file", {"-P" + (target / "file.txt")}},
      {"a network path", {"-P\\\\server\\share"}},
      {"a device", {"-PNUL"}},
      {"relative", {"-PGames"}},
      {"a drive's current folder", {"-PC:"}},
      {"relative to a drive's current folder", {"-PC:Games"}},
      {"a device name inside", {"-P" + (target / "com1")}},
      {"a stray quote", {"-P" + (target / "My Games\"")}},
      {"saved files into the installation folder", {"-P" + target.path(), "-p" + installed}},
      {"saved files inside the installation folder", {"-P" + target.path(), "-p" + installed + "\\saved"}},
      {"the same, spelt otherwise", {"-P" + target.path(), "-p" + target.path() + "/./" + product_folder + "/x"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-G", "-M", "-R"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const SetupRun r = run_setup(e2e_program("e2e_setup"), args);
    ASSERT_TRUE(r.finished) << c.why << "\n" << r.log;
    EXPECT_EQ(r.exit_code, exit_paths_unusable) << c.why;
    EXPECT_TRUE(r.boxes.empty()) << c.why << "\n" << r.log;
    EXPECT_EQ(list_tree(target.path()), std::vector<std::string>{"file.txt"}) << c.why;
  }
  EXPECT_FALSE(folder_exists(std::string("C:\\") + product_folder));
  EXPECT_FALSE(folder_exists("Games"));
}

TEST(SilentInstallRefusal, AFolderWithARenameQueuedForTheNextRebootIsRefused) {
  TempDir target;
  // The queued name spells the folder in lower case, as Windows may.
  std::string lower = target / product_folder;
  CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
  const std::string value = "\\??\\" + lower + "\\readme.txt" + std::string(2, '\0');
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "PendingFileRenameOperations", 0, REG_MULTI_SZ,
                           reinterpret_cast<const BYTE*>(value.data()), static_cast<DWORD>(value.size())),
            ERROR_SUCCESS);
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-P" + target.path()});
  RegDeleteValueA(key, "PendingFileRenameOperations");
  RegCloseKey(key);
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, exit_paths_unusable);
  EXPECT_TRUE(r.boxes.empty()) << r.log;
  EXPECT_TRUE(list_tree(target.path()).empty());
}
