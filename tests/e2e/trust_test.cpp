// What setup.exe and uninstall.exe read from disk or are given cannot steer
// them: folders for replaced files checked like the installation folder;
// the uninstall puts back only what a run saved, and only with the bytes it
// saved; a journal that holds nothing is no success; a second installation
// leaves the first one's shortcuts; a failed installation registers no
// broken uninstaller; a record that cannot be written stops the run; the
// programs that ship have no test switches.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "e2e_paths.h"
#include "engine/run_record.h"
#include "setup_run.h"
#include "system/uninstall_registration.h"
#include "tests/e2e/install_check.h"
#include "tests/e2e/machine_state.h"
#include "tests/e2e/tree_snapshot.h"
#include "tests/support/scoped_env.h"
#include "tests/support/win_fs.h"

namespace {

constexpr DWORD exit_no_journal = 2;
constexpr DWORD exit_paths_unusable = 4;
constexpr DWORD exit_rolled_back = 5;
constexpr DWORD exit_failed_kept = 6;
constexpr DWORD exit_saved_files_changed = 7;

std::string special_folder(int csidl) {
  char path[MAX_PATH] = {};
  return SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK ? path : "";
}

std::string short_name(const std::string& path) {
  char buffer[MAX_PATH] = {};
  const DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
}

std::string text_of(const std::string& path) { return read_file(path).value_or("<no file " + path + ">"); }

bool holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The saved path a record's n-th "*SAVE:" line names.
std::string saved_path(const std::string& record, int n) {
  std::size_t at = 0;
  for (int i = 0; i < n; ++i) at = record.find("*SAVE:", at) + 1;
  const std::size_t start = record.find('|', at) + 1;
  return record.substr(start, record.find('|', start) - start);
}

class Trust : public ::testing::Test {
 protected:
  std::string installed() const { return target_ / product_folder; }
  std::string uninstaller() const { return installed() + "\\uninst\\uninstall.exe"; }
  std::string journal() const { return installed() + "\\uninst\\log_inst.dat"; }
  SetupRun setup(const char* program, std::vector<std::string> args) {
    args.push_back("-P" + target_.path());
    return run_setup(e2e_program(program), args);
  }
  SetupRun uninstall(const std::string& extra = " -G -Q") {
    return run_command(driver::quote_arg(uninstaller()) + extra + " -W" + log_);
  }

  TempDir target_;
  const std::string log_ = target_ / "run.log";
};

// -p gets the checks of -P, before anything is written: relative names, a
// drive's current folder, network and device names, a trailing dot, the
// system's folders; and -P may not name the system's folders either.
TEST_F(Trust, FoldersForReplacedFilesAreCheckedLikeTheInstallationFolder) {
  const std::string windows = special_folder(CSIDL_WINDOWS);
  const std::vector<std::vector<std::string>> refused = {
      {"-prelative"}, {"-p\\bk"}, {"-pC:bk"}, {"-p..\\bk"}, {"-p\\\\server\\share\\bk"}, {"-pNUL"}, {"-pC:\\bk."},
      {"-pC:\\bk "}, {"-p" + windows + "\\system32\\bk"}, {"-p" + target_.path()},
  };
  const TreeSnapshot before = machine();
  for (const auto& args : refused) {
    SCOPED_TRACE(args[0]);
    std::vector<std::string> all = {"-G", "-Q", "-O", "-W" + log_};
    all.insert(all.end(), args.begin(), args.end());
    const SetupRun r = setup("e2e_setup", all);
    EXPECT_EQ(r.exit_code, exit_paths_unusable) << text_of(log_);
    EXPECT_TRUE(holds(text_of(log_), "check folder for replaced files")) << text_of(log_);
    DeleteFileA(log_.c_str());
    EXPECT_EQ(tree_differences(before, machine()), "");
  }
  // The installation folder in the system's folders.
  const SetupRun system =
      run_setup(e2e_program("e2e_setup"), {"-G", "-Q", "-M", "-R", "-P" + windows + "\\system32", "-W" + log_});
  EXPECT_EQ(system.exit_code, exit_paths_unusable);
  EXPECT_TRUE(holds(text_of(log_), "check installation folder: it lies in the Windows or system folder"));
  EXPECT_FALSE(folder_exists(windows + "\\system32\\" + product_folder));

  // An interactive run says so before its path dialog.
  const SetupRun asked = run_setup(e2e_program("e2e_setup"), {"-L0", "-pC:bk"});
  EXPECT_EQ(asked.exit_code, exit_paths_unusable);
  ASSERT_EQ(asked.boxes.size(), 1u) << asked.log;
  EXPECT_EQ(asked.boxes[0].caption, "Folder for replaced files");
  EXPECT_TRUE(holds(asked.boxes[0].message, "is no full folder name Windows can use")) << asked.boxes[0].message;
}

// The user's own file in the folder given with -p, at the relative path of
// a file the second version installs new: the uninstall leaves it there,
// puts back only the files the run saved, and removes the folders the run
// made for them.
TEST_F(Trust, TheUninstallTakesBackOnlyWhatTheRunSaved) {
  const std::string keepme = target_ / "keepme";
  ASSERT_TRUE(CreateDirectoryA(keepme.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((keepme + "\\addons").c_str(), nullptr));
  ASSERT_TRUE(write_file(keepme + "\\addons\\map.dat", "the user's own map"));
  ASSERT_EQ(setup("e2e_setup", {"-G", "-Q", "-M", "-R"}).exit_code, 0u);
  const std::string v1_readme = text_of(installed() + "\\readme.txt");
  ASSERT_EQ(setup("e2e_setup_v2", {"-G", "-Q", "-M", "-R", "-O", "-p" + keepme}).exit_code, 0u);
  ASSERT_TRUE(file_exists(keepme + "\\readme.txt"));  // version 1's, kept for the uninstall

  const SetupRun r = uninstall();
  EXPECT_EQ(r.exit_code, 0u) << text_of(log_);
  EXPECT_EQ(text_of(keepme + "\\addons\\map.dat"), "the user's own map");
  EXPECT_EQ(list_tree(keepme), (std::vector<std::string>{"addons\\", "addons\\map.dat"}));
  EXPECT_FALSE(folder_exists(installed()));
}

// Journals that hold no record are no success: nothing is removed, and the
// journal, the uninstaller and the entry stay for an uninstall that can
// read them. Started by its short name, the uninstaller finds its folder.
TEST_F(Trust, AJournalThatHoldsNothingIsNoSuccessAndAShortNameChangesNothing) {
  ASSERT_EQ(setup("e2e_setup", {"-G", "-Q", "-I"}).exit_code, 0u);
  const std::string real = text_of(journal());
  const std::string keys = uninstall_keys();
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) % 256);
  const std::vector<std::pair<const char*, std::string>> journals = {
      {"empty", ""},
      {"line feeds only", "DIR:" + installed() + "\nFILE:" + installed() + "\\readme.txt\n"},
      {"binary garbage", garbage},
      {"one line of 100 KB", std::string(100000, 'F') + "\r\n"},
  };
  const TreeSnapshot before = machine();
  for (const auto& [name, bytes] : journals) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(write_file(journal(), bytes));
    const TreeSnapshot with = machine();
    const SetupRun r = uninstall();
    const std::string log = text_of(log_);
    DeleteFileA(log_.c_str());
    EXPECT_EQ(r.exit_code, exit_no_journal) << log;
    EXPECT_TRUE(holds(log, "it holds no record the setup writes; nothing was removed")) << log;
    EXPECT_EQ(tree_differences(with, machine()), "");
    EXPECT_EQ(uninstall_keys(), keys);
    EXPECT_EQ(text_of(journal()), bytes);
  }
  ASSERT_TRUE(write_file(journal(), real));
  EXPECT_EQ(tree_differences(before, machine()), "");

  const std::string by_short_name = short_name(uninstaller());
  ASSERT_NE(by_short_name, uninstaller());
  const SetupRun r = run_command(driver::quote_arg(by_short_name) + " -G -Q -W" + log_);
  EXPECT_EQ(r.exit_code, 0u) << text_of(log_);
  EXPECT_TRUE(holds(text_of(log_), "installation folder: " + installed() + "\\")) << text_of(log_);
  EXPECT_TRUE(holds(text_of(log_), "0 records refused")) << text_of(log_);
  EXPECT_FALSE(folder_exists(installed()));
}

// A second installation into another folder neither takes over the first
// one's start-menu links without -O, nor the user's own desktop link; with
// -O it keeps what it replaced, and its uninstall puts that back.
TEST_F(Trust, ASecondInstallationLeavesTheFirstOnesShortcuts) {
  TempDir second;
  const std::string menu_link = special_folder(CSIDL_COMMON_PROGRAMS) + "\\" + product_folder + "\\Quasarine II.lnk";
  const std::string desktop_link = special_folder(CSIDL_DESKTOPDIRECTORY) + "\\Quasarine II.lnk";
  ASSERT_TRUE(write_file(desktop_link, "the user's own link"));
  ASSERT_EQ(setup("e2e_setup", {"-G", "-Q"}).exit_code, 0u);
  const std::string first_link = text_of(menu_link);

  const std::string second_journal = second / product_folder + "\\uninst\\log_inst.dat";
  const auto install_second = [&](const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"-G", "-Q", "-I", "-P" + second.path()};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_setup(e2e_program("e2e_setup"), args);
  };
  const auto uninstall_second = [&] {
    return run_command(driver::quote_arg(second / product_folder + "\\uninst\\uninstall.exe") + " -G -Q");
  };
  ASSERT_EQ(install_second({}).exit_code, 0u);
  EXPECT_EQ(text_of(menu_link), first_link);
  EXPECT_EQ(text_of(desktop_link), "the user's own link");
  EXPECT_FALSE(holds(text_of(second_journal), menu_link));
  EXPECT_EQ(uninstall_second().exit_code, 0u);
  EXPECT_EQ(text_of(menu_link), first_link);
  EXPECT_EQ(text_of(desktop_link), "the user's own link");

  ASSERT_EQ(install_second({"-O"}).exit_code, 0u);
  EXPECT_NE(text_of(menu_link), first_link);
  EXPECT_EQ(uninstall_second().exit_code, 0u);
  EXPECT_EQ(text_of(menu_link), first_link);
  EXPECT_EQ(text_of(desktop_link), "the user's own link");
  DeleteFileA(desktop_link.c_str());
}

// A line of the run's record that cannot be written (the test switch fails
// the fifth file's, as a full disk would): that file is not made, nor
// anything after it; with -B everything is undone, without it the run
// fails and says why.
TEST_F(Trust, ARecordLineThatCannotBeWrittenStopsTheRunBeforeTheChange) {
  const TreeSnapshot before = snapshot(target_.path());
  {
    ScopedEnv full("SETUP_TEST_RECORD_FULL_AT", "FILE:#5");
    const SetupRun undone = setup("e2e_setup", {"-G", "-Q", "-B", "-M", "-R", "-W" + log_});
    EXPECT_EQ(undone.exit_code, exit_rolled_back) << text_of(log_);
    EXPECT_TRUE(holds(text_of(log_), "could not write the run's record")) << text_of(log_);
    EXPECT_TRUE(holds(text_of(log_), "error 112")) << text_of(log_);
    DeleteFileA(log_.c_str());
    EXPECT_EQ(tree_differences(before, snapshot(target_.path())), "");

    const SetupRun failed = setup("e2e_setup", {"-G", "-M", "-R"});
    EXPECT_EQ(failed.exit_code, exit_failed_kept) << failed.log;
    ASSERT_GE(failed.boxes.size(), 1u) << failed.log;
    EXPECT_EQ(failed.boxes[0].caption, "Install failed");
    EXPECT_TRUE(holds(failed.boxes[0].message, "so setup changed nothing after that")) << failed.boxes[0].message;
  }
  // The fifth file the run announced (the write test's was the first) was
  // not made, nor any later one: three of the payload's files are there.
  int files = 0;
  for (const std::string& f : list_tree(installed())) files += f.back() == '\\' ? 0 : 1;
  EXPECT_EQ(files, 3) << ::testing::PrintToString(list_tree(installed()));
}

// The programs that ship read no test switch: the sample's setup installs
// whole with the stop hook set.
TEST_F(Trust, TheShippedProgramsHaveNoTestSwitches) {
  ScopedStop stop("FILE:#1");
  ScopedEnv no_record("SETUP_TEST_NO_RECORD", "1");
  const SetupRun r = run_setup(e2e_sample_setup, {"-G", "-Q", "-M", "-R", "-P" + target_.path()});
  EXPECT_EQ(r.exit_code, 0u) << r.log;
  EXPECT_TRUE(file_exists(installed() + "\\uninst\\log_inst.dat"));
  EXPECT_TRUE(unfinished_records(target_.path()).empty());
}

// A saved file changed between a kill and the undo, or between the
// installation and the uninstall, is not put back: it is named, and the
// exit code says so. Nothing in %TEMP% places a byte of its own in the
// installation folder.
TEST_F(Trust, ASavedFileChangedSinceItWasSavedIsNeverPutBack) {
  ASSERT_EQ(setup("e2e_setup", {"-G", "-Q", "-M", "-R"}).exit_code, 0u);
  {
    ScopedStop stop("*SAVE:#3");  // two files moved aside, the third announced
    ASSERT_EQ(setup("e2e_setup_v2", {"-G", "-Q", "-O", "-M", "-R"}).exit_code, exit_stopped);
  }
  const std::vector<std::string> records = unfinished_records(target_.path());
  ASSERT_EQ(records.size(), 1u);
  const std::string record = text_of(records[0]);
  const std::string swapped = saved_path(record, 1);
  const std::string kept = saved_path(record, 2);
  const std::string original = installed() + swapped.substr(swapped.find('\\', swapped.find("Installer_")));
  const std::string kept_original = installed() + kept.substr(kept.find('\\', kept.find("Installer_")));
  const std::string kept_bytes = text_of(kept);
  ASSERT_TRUE(write_file(swapped, "chosen by somebody else"));

  const SetupRun undone = setup("e2e_setup", {"-G", "-Q", "-B", "-W" + log_});
  EXPECT_EQ(undone.exit_code, exit_saved_files_changed) << text_of(log_);
  EXPECT_TRUE(holds(text_of(log_), "not put back: " + swapped)) << text_of(log_);
  EXPECT_FALSE(file_exists(original));
  EXPECT_EQ(text_of(swapped), "chosen by somebody else");
  EXPECT_EQ(text_of(kept_original), kept_bytes);
  remove_tree(swapped.substr(0, swapped.find('\\', swapped.find("Installer_"))));

  // Kept for the uninstall with -p, changed there before it.
  remove_tree(installed());
  const std::string saved = target_ / "saved";
  ASSERT_EQ(setup("e2e_setup", {"-G", "-Q", "-M", "-R"}).exit_code, 0u);
  ASSERT_EQ(setup("e2e_setup_v2", {"-G", "-Q", "-O", "-M", "-R", "-p" + saved}).exit_code, 0u);
  ASSERT_TRUE(write_file(saved + "\\readme.txt", "chosen by somebody else"));
  const SetupRun r = uninstall();
  EXPECT_EQ(r.exit_code, exit_saved_files_changed) << text_of(log_);
  EXPECT_TRUE(holds(text_of(log_), "not put back: " + saved + "\\readme.txt")) << text_of(log_);
  EXPECT_FALSE(file_exists(installed() + "\\readme.txt"));
  EXPECT_EQ(text_of(saved + "\\readme.txt"), "chosen by somebody else");
}

// With %TEMP% unusable an installation that replaces nothing needs none,
// and the uninstaller, which cannot copy itself there, runs in place and
// says it goes at the next restart.
TEST_F(Trust, AnUnusableTemporaryFolderStopsNeitherProgram) {
  ScopedEnv temp("TEMP", "C:\\no such folder\\temp");
  ScopedEnv tmp("TMP", "C:\\no such folder\\temp");
  ASSERT_EQ(setup("e2e_setup", {"-G", "-Q", "-M", "-R", "-W" + log_}).exit_code, 0u) << text_of(log_);
  EXPECT_TRUE(holds(text_of(log_), "check folders and write test: usable"));
  const SetupRun r = uninstall();
  EXPECT_EQ(r.exit_code, 0u) << text_of(log_);
  EXPECT_TRUE(holds(text_of(log_), "the uninstaller " + uninstaller() + " goes at the next restart")) << text_of(log_);
}

}  // namespace

namespace {

// A full disk stops the installation before its uninstaller is whole (the
// 1 MiB drive Q: of the engine tests' fixture): no Add/Remove Programs entry
// is registered that would start a broken uninstaller.
TEST(FullDiskTrust, AFailedInstallationRegistersNoEntryForABrokenUninstaller) {
  if (!folder_exists("Q:\\")) GTEST_SKIP() << "drive Q: is not set up (the fixture needs root)";
  const ScopedNoSpaceCheck while_writing;
  TempDir logs;
  const std::string log = logs / "run.log";
  const std::string installed = std::string("Q:\\") + product_folder;
  remove_tree(installed);
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-Q", "-PQ:\\", "-W" + log});
  EXPECT_EQ(r.exit_code, exit_failed_kept) << text_of(log);
  EXPECT_TRUE(holds(text_of(log), "Add/Remove Programs entry: none")) << text_of(log);
  EXPECT_FALSE(holds(uninstall_keys(), installed)) << uninstall_keys();
  remove_tree(installed);
  for (const std::string& record : unfinished_records("Q:")) DeleteFileA(record.c_str());
}

}  // namespace

namespace {

// The -W log on a drive that fills up (the 1 MiB drive Q:, filled first):
// the run goes on, installs, ends with its exit code, and says that the log
// could not be written.
TEST(FullDiskTrust, ALogOnAFullDriveIsSaidAndChangesNothingElse) {
  if (!folder_exists("Q:\\")) GTEST_SKIP() << "drive Q: is not set up (the fixture needs root)";
  const std::string filler = "Q:\\filler.bin";
  {
    const HANDLE f = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    const std::string block(4096, 'x');
    DWORD written = 0;
    while (WriteFile(f, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written == block.size()) {
    }
    CloseHandle(f);
  }
  TempDir target;
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-P" + target.path(), "-WQ:\\run.log"});
  DeleteFileA(filler.c_str());
  DeleteFileA("Q:\\run.log");
  EXPECT_EQ(r.exit_code, 0u) << r.log;
  ASSERT_EQ(r.boxes.size(), 2u) << r.log;
  EXPECT_EQ(r.boxes[0].caption, "Log file");
  EXPECT_TRUE(holds(r.boxes[0].message, "Q:\\run.log\r\ncannot be written (error 112")) << r.boxes[0].message;
  EXPECT_EQ(r.boxes[1].caption, "Install complete");
}

}  // namespace
