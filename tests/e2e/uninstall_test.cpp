// The uninstaller as users and scripts start it: from the Add/Remove Programs
// entry, after installations one over the other, with a file in use, a
// journal edited to name a file of the user's, and an uninstall stopped
// midway. The machine it leaves is compared with the one before.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>

#include "core/exit_codes.h"
#include "e2e_paths.h"
#include "setup_run.h"
#include "system/uninstall_registration.h"
#include "tests/e2e/install_check.h"
#include "tests/e2e/machine_state.h"
#include "tests/e2e/tree_snapshot.h"
#include "tests/support/registry_view.h"
#include "tests/support/win_fs.h"

namespace {

class Uninstall : public ::testing::Test {
 protected:
  std::string installed() const { return target_ / product_folder; }
  std::string uninstaller() const { return installed() + "\\uninst\\uninstall.exe"; }
  void install(const char* program, std::vector<std::string> args) {
    args.push_back("-P" + target_.path());
    const SetupRun r = run_setup(e2e_program(program), args);
    ASSERT_EQ(r.exit_code, 0u) << r.log;
  }
  // A command of the entry, as Add/Remove Programs or a script runs it.
  std::string entry_command(const char* value) const {
    std::string key;
    for (const std::string& line : journal_lines(read_file(installed() + "\\uninst\\log_inst.dat").value_or(""))) {
      if (line.rfind("APP:", 0) == 0) key = line.substr(4);
    }
    return entry_value(key, value).value_or("<no entry>");
  }
  void expect_report(const SetupRun& r, const char* caption, const std::string& part) {
    ASSERT_EQ(r.boxes.size(), 1u) << r.log;
    EXPECT_EQ(r.boxes[0].caption, caption);
    EXPECT_NE(r.boxes[0].message.find(part), std::string::npos) << r.boxes[0].message;
  }

  TempDir target_;
};

// A file of the user's where the game goes, kept with -p; a second version
// over the first; a save the game wrote into one of its folders. Uninstalling
// from the entry leaves the machine as it was, with the user's file back byte
// for byte, and the save and the folders holding it, which the report names.
TEST_F(Uninstall, RoundTripLeavesTheMachineAsItWas) {
  const std::string saved = target_ / "saved";
  ASSERT_TRUE(CreateDirectoryA(saved.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(installed().c_str(), nullptr));
  ASSERT_TRUE(write_file(installed() + "\\readme.txt", "the user's notes"));
  ASSERT_TRUE(set_read_only(installed() + "\\readme.txt", true));
  const TreeSnapshot before = machine();
  const std::string keys_before = uninstall_keys();

  install("e2e_setup", {"-G", "-O", "-I", "-p" + saved});
  install("e2e_setup_v2", {"-G", "-O", "-I"});
  ASSERT_TRUE(file_exists(installed() + "\\addons\\map.dat"));
  const std::string save = installed() + "\\data\\levels\\slot1.sav";
  ASSERT_TRUE(write_file(save, "a saved game"));

  const SetupRun r = run_command(entry_command("UninstallString") + " -G");
  EXPECT_EQ(r.exit_code, 0u) << r.log;
  expect_report(r, "Uninstall complete",
                "These folders stay, as they hold files the installation did not create:\r\n  " + installed() +
                    "\\data\\levels\r\n  " + installed() + "\\data");
  TreeSnapshot expected = before;
  const std::string below = installed().substr(3) + "\\";  // as the snapshot names it
  expected[below + "data\\"] = {FILE_ATTRIBUTE_DIRECTORY, ""};
  expected[below + "data\\levels\\"] = {FILE_ATTRIBUTE_DIRECTORY, ""};
  expected[below + "data\\levels\\slot1.sav"] = {0, "a saved game"};
  EXPECT_EQ(tree_differences(expected, machine()), "");
  EXPECT_EQ(uninstall_keys(), keys_before);
  EXPECT_EQ(read_file(installed() + "\\readme.txt"), "the user's notes");
}

// A journal edited to name a file of the user's outside the installation:
// that file stays, the record is named in the report, and the rest goes.
TEST_F(Uninstall, ARecordOutsideTheInstallationIsRefusedAndItsFileKept) {
  const std::string victim = target_ / "victim.txt";
  ASSERT_TRUE(write_file(victim, "keep me"));
  install("e2e_setup", {"-G", "-M", "-R"});
  const std::string journal = installed() + "\\uninst\\log_inst.dat";
  ASSERT_TRUE(write_file(journal, read_file(journal).value_or("") + "FILE:" + victim + "\r\n"));

  const SetupRun r = run_command(driver::quote_arg(uninstaller()) + " -G");
  EXPECT_EQ(r.exit_code, static_cast<DWORD>(exit_refused)) << r.log;
  expect_report(r, "Uninstall incomplete", "Refused, as they are not this installation's:\r\n  FILE:" + victim);
  EXPECT_EQ(read_file(victim), "keep me");
  EXPECT_FALSE(folder_exists(installed()));
}

// The game still runs: its file stays and is named in the German report,
// captions included, the exit code says so, and once it is closed a second
// uninstall removes it.
TEST_F(Uninstall, AFileInUseIsLeftNamedAndRemovedByTheNextUninstall) {
  install("e2e_setup", {"-G", "-M", "-R"});
  const std::string game = installed() + "\\exebin\\quasarine2.exe";
  HANDLE held = CreateFileA(game.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const SetupRun first = run_command(driver::quote_arg(uninstaller()) + " -L 1000 -G");
  CloseHandle(held);
  EXPECT_EQ(first.exit_code, static_cast<DWORD>(exit_incomplete)) << first.log;
  // The texts as Windows-1252 bytes.
  expect_report(first, "Deinstallation unvollst\xE4ndig", "Nicht entfernt:\r\n  " + game + " (in Benutzung)");
  EXPECT_NE(first.boxes[0].message.find("Nach dem Schlie\xDF" "en der genannten Programme"), std::string::npos)
      << first.boxes[0].message;
  // The folder holding it stays for that file, not for files of the user's.
  EXPECT_EQ(first.boxes[0].message.find("nicht installiert wurden"), std::string::npos) << first.boxes[0].message;
  EXPECT_TRUE(file_exists(game));
  EXPECT_TRUE(file_exists(uninstaller()));

  const SetupRun second = run_command(driver::quote_arg(uninstaller()) + " -G");
  EXPECT_EQ(second.exit_code, 0u) << second.log;
  EXPECT_FALSE(folder_exists(installed()));
}

// Stopped after a few files (the stop hook, as a kill there): the next
// uninstall ends where an uninterrupted one would.
TEST_F(Uninstall, AnUninstallStoppedMidwayIsFinishedByTheNext) {
  const TreeSnapshot before = machine();
  const std::string keys_before = uninstall_keys();
  install("e2e_setup", {"-G", "-I"});
  {
    ScopedStop stop("FILE:#6");
    const SetupRun stopped = run_command(entry_command("QuietUninstallString"));
    EXPECT_EQ(stopped.exit_code, exit_stopped) << stopped.log;
  }
  ASSERT_TRUE(file_exists(uninstaller()));
  const SetupRun rerun = run_command(driver::quote_arg(uninstaller()) + " -G");
  EXPECT_EQ(rerun.exit_code, 0u) << rerun.log;
  EXPECT_EQ(tree_differences(before, machine()), "");
  EXPECT_EQ(uninstall_keys(), keys_before);
}

}  // namespace
