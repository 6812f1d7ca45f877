// The uninstaller as users and scripts start it: from the Add/Remove Programs
// entry, after installations one over the other, with a file in use, a
// journal edited to name a file of the user's, and an uninstall stopped
// midway. The machine it leaves is compared with the one before.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <map>

#include "e2e_paths.h"
#include "setup_run.h"
#include "system/uninstall_registration.h"
#include "tests/e2e/install_check.h"
#include "tests/e2e/tree_snapshot.h"
#include "tests/support/registry_view.h"
#include "tests/support/win_fs.h"

namespace {

constexpr DWORD uninstall_refused_records = 4;
constexpr DWORD uninstall_incomplete = 6;

// Every file below C:\ with its bytes and attributes, but the copies the
// uninstaller leaves in the temporary folder (the next start removes them).
TreeSnapshot machine() {
  TreeSnapshot tree = snapshot("C:");
  char temp[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
  const std::string copies = std::string(temp, n).substr(3) + "\\Uninstall_";
  for (auto it = tree.begin(); it != tree.end();) {
    it = it->first.rfind(copies, 0) == 0 ? tree.erase(it) : std::next(it);
  }
  return tree;
}

// The Uninstall key of the program's registry view: every key and value.
std::string uninstall_keys() {
  std::string out;
  HKEY root = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, uninstall_root_key, 0, KEY_READ | program_registry_view(), &root) != 0) {
    return out;
  }
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(root, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    out += std::string(name) + "\n";
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, name, 0, KEY_READ | program_registry_view(), &key) != ERROR_SUCCESS) continue;
    for (DWORD v = 0;; ++v) {
      char value[256];
      BYTE data[2048];
      DWORD value_size = sizeof value, data_size = sizeof data, type = 0;
      if (RegEnumValueA(key, v, value, &value_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
      out += "  " + std::string(value) + "=" + std::string(reinterpret_cast<char*>(data), data_size) + "\n";
    }
    RegCloseKey(key);
  }
  RegCloseKey(root);
  return out;
}

std::optional<std::string> entry_value(const std::string& key, const char* value) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(uninstall_root_key) + key).c_str(), 0,
                    KEY_READ | program_registry_view(), &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  char data[2048] = {};
  DWORD size = sizeof data - 1, type = 0;
  const LONG rc = RegQueryValueExA(opened, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(opened);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  return std::string(data);
}

bool uninstaller_running() {
  const HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 p = {};
  p.dwSize = sizeof p;
  bool found = false;
  for (BOOL more = Process32First(all, &p); more && !found; more = Process32Next(all, &p)) {
    found = lstrcmpiA(p.szExeFile, "uninstall.exe") == 0;
  }
  CloseHandle(all);
  return found;
}

// Runs a command line and answers the boxes of any process (the uninstaller
// shows them from its copy) with their first button; returns once the
// program started has ended and its copy has finished removing it.
SetupRun run_command(const std::string& command) {
  SetupRun result;
  driver::Process process = driver::Process::start(command);
  if (!process.started()) return result;
  driver::Driver d;
  const driver::ExitWatch watch = d.wait_for_exit(process.handle(), 0, 60000, [&](const driver::Dialog& box) {
    d.press(box, box.buttons.front().id);
  });
  for (int i = 0; i < 200 && uninstaller_running(); ++i) Sleep(50);
  result.finished = watch.exited;
  result.exit_code = watch.exit_code;
  result.boxes = watch.dialogs;
  result.log = d.log().text();
  return result;
}

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
  EXPECT_EQ(r.exit_code, uninstall_refused_records) << r.log;
  expect_report(r, "Uninstall incomplete", "Refused, as they are not this installation's:\r\n  FILE:" + victim);
  EXPECT_EQ(read_file(victim), "keep me");
  EXPECT_FALSE(folder_exists(installed()));
}

// The game still runs: its file stays and is named, the exit code says so,
// and once it is closed a second uninstall removes it.
TEST_F(Uninstall, AFileInUseIsLeftNamedAndRemovedByTheNextUninstall) {
  install("e2e_setup", {"-G", "-M", "-R"});
  const std::string game = installed() + "\\exebin\\quasarine2.exe";
  HANDLE held = CreateFileA(game.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const SetupRun first = run_command(driver::quote_arg(uninstaller()) + " -G");
  CloseHandle(held);
  EXPECT_EQ(first.exit_code, uninstall_incomplete) << first.log;
  expect_report(first, "Uninstall incomplete", "Not removed:\r\n  " + game + " (in use)");
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
