// Records read from disk that name places outside the installation, as a
// program of the user's could plant or edit them: a stopped run's record
// beside the installation folder, for setup.exe -G -Q -B, and lines added to
// log_inst.dat and its backup list, for uninstall.exe -G -Q. For every
// target outside, in every form of path, and every kind of line: the target
// stays byte for byte, the refusal is logged, and the exit code says so.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <functional>
#include <map>

#include "core/hex.h"
#include "engine/run_record.h"
#include "setup_run.h"
#include "system/uninstall_registration.h"
#include "tests/e2e/install_check.h"
#include "tests/e2e/machine_state.h"
#include "tests/support/registry_view.h"
#include "tests/support/win_fs.h"

namespace {

constexpr DWORD exit_failed_kept = 6;
constexpr DWORD uninstall_refused_records = 4;
const std::string other_key = "Other Product__at__0";
const std::string any_digest(64, 'A');

std::string special_folder(int csidl) {
  char path[MAX_PATH] = {};
  return SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK ? path : "";
}

std::string short_name(const std::string& path) {
  char buffer[MAX_PATH] = {};
  const DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
}

std::vector<std::string> lines_of(const std::string& path) { return journal_lines(read_file(path).value_or("")); }

bool logged(const std::vector<std::string>& lines, const std::string& part) {
  for (const std::string& l : lines) {
    if (l.find(part) != std::string::npos) return true;
  }
  return false;
}

// What lies outside the installation, set up fresh for each test: a system
// file, a user's file, a desktop file not the product's, another product's
// start-menu link, folder and entry, and a file of the host through Wine's
// Z: drive. The state of all of them is compared before and after.
class Outside : public ::testing::Test {
 protected:
  void SetUp() override {
    user_file_ = user_ / "keep.txt";
    ASSERT_TRUE(write_file(user_file_, "the user's"));
    desktop_file_ = special_folder(CSIDL_DESKTOPDIRECTORY) + "\\notes.txt";
    ASSERT_TRUE(write_file(desktop_file_, "notes"));
    other_folder_ = special_folder(CSIDL_COMMON_PROGRAMS) + "\\Other Product";
    CreateDirectoryA(other_folder_.c_str(), nullptr);
    other_link_ = other_folder_ + "\\Other.lnk";
    ASSERT_TRUE(write_file(other_link_, "another product's link"));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(uninstall_root_key) + other_key).c_str(), 0, nullptr,
                              0, KEY_WRITE | program_registry_view(), nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>("Other"), 6);
    RegCloseKey(key);
    host_file_ = "Z:\\tmp\\setup-hostile-" + std::to_string(GetCurrentProcessId()) + ".txt";
    ASSERT_TRUE(write_file(host_file_, "the host's"));
    before_ = state();
  }
  void TearDown() override {
    DeleteFileA(desktop_file_.c_str());
    DeleteFileA(other_link_.c_str());
    RemoveDirectoryA(other_folder_.c_str());
    DeleteFileA(host_file_.c_str());
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(uninstall_root_key) + other_key).c_str());
  }

  std::string installed() const { return target_ / product_folder; }

  // Every target, in every form of path a record could name it by.
  std::vector<std::string> targets() const {
    const std::string user_below = user_file_.substr(3);  // without "C:\"
    return {
        "C:\\windows\\system.ini",
        "C:\\windows\\system32",
        user_file_,
        user_.path(),
        desktop_file_,
        other_link_,
        other_folder_,
        host_file_,
        installed() + "\\..\\..\\..\\..\\..\\" + user_below,  // climbs out, whatever the depth
        installed() + "\\data\\..\\..",
        short_name(user_file_),
        short_name(installed() + "\\..") + "\\victim",
        user_file_ + ":stream",
        installed() + "\\readme.txt::$DATA",
        "\\\\?\\" + user_file_,
        "\\\\?\\UNC\\localhost\\c$\\" + user_below,
        "\\\\localhost\\c$\\" + user_below,
        user_file_ + ".",
        user_file_ + " ",
        installed() + "\\data. ",
        installed() + "\\nul",
        installed() + "/../keep.txt",
    };
  }

  // The bytes and attributes of every target, the folders' contents, the
  // other product's entry.
  std::string state() const {
    std::string out;
    for (const std::string& f : {std::string("C:\\windows\\system.ini"), user_file_, desktop_file_, other_link_,
                                 host_file_}) {
      out += f + "=" + read_file(f).value_or("<gone>") + " " + std::to_string(GetFileAttributesA(f.c_str())) + "\n";
    }
    for (const std::string& folder : {user_.path(), other_folder_, std::string("C:\\windows\\system32")}) {
      out += folder + (folder_exists(folder) ? " is there\n" : " is gone\n");
    }
    for (const std::string& f : list_tree(user_.path())) out += f + "\n";
    out += uninstall_keys();
    return out;
  }

  TempDir target_;
  TempDir user_;
  std::string user_file_, desktop_file_, other_folder_, other_link_, host_file_;
  std::string before_;
};

// A record planted beside the installation folder, whatever its lines name
// outside, is refused whole: nothing of it is done (not even its lines
// inside the installation), it stays, and nothing is installed.
TEST_F(Outside, APlantedStoppedRunRecordIsRefusedWhole) {
  ASSERT_TRUE(CreateDirectoryA(installed().c_str(), nullptr));
  const std::string inside = installed() + "\\a.dat";
  const std::string record = target_ / run_record_name(installed() + "\\");
  const std::string log = target_ / "setup.log";
  for (const std::string& t : targets()) {
    SCOPED_TRACE(t);
    ASSERT_TRUE(write_file(inside, "was here"));
    const std::string bytes =
        "FILE:" + inside + "\r\n" + "FILE:" + t + "\r\n" + "DIR:" + t + "\r\n" +
        run_record::link_was_line(t, "OVERWRITTEN") + "\r\n" + run_record::journal_was_line(t, 3) + "\r\n" +
        "*BACKUP:" + t + "\r\n" + run_record::save_line({installed() + "\\b.dat", t, 32, any_digest}) + "\r\n" +
        run_record::save_line({t, t + "\\a.dat", 32, any_digest}) + "\r\n" + "APP:" + other_key + "\r\n" +
        "*APPWAS:" + other_key + "\r\n" + run_record::app_value_line(other_key, "DisplayName", REG_SZ, "Evil") +
        "\r\n";
    ASSERT_TRUE(write_file(record, bytes));
    const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-Q", "-B", "-P" + target_.path(), "-W" + log});
    ASSERT_TRUE(r.finished) << r.log;
    EXPECT_EQ(r.exit_code, exit_failed_kept);
    const std::vector<std::string> lines = lines_of(log);
    EXPECT_TRUE(logged(lines, "stopped run: its record " + record + " is refused")) << read_file(log).value_or("");
    EXPECT_TRUE(logged(lines, "refused earlier link " + t)) << read_file(log).value_or("");
    EXPECT_TRUE(logged(lines, "refused APP:" + other_key)) << read_file(log).value_or("");
    EXPECT_EQ(state(), before_);
    EXPECT_EQ(read_file(record), bytes);
    EXPECT_EQ(read_file(inside), "was here");
    EXPECT_EQ(list_tree(installed()), std::vector<std::string>{"a.dat"});
  }
}

// Lines added to log_inst.dat and to its backup list, as a run of their
// own: each is refused and named, the rest of the installation goes.
TEST_F(Outside, AnEditedJournalTouchesNothingOutside) {
  const std::string log = target_ / "uninstall.log";
  const std::string journal = installed() + "\\uninst\\log_inst.dat";
  const std::string list = installed() + "\\uninst\\log_backup.dat";
  const std::string rdir = user_ / "Installer_0000ABCD";
  for (const std::string& t : targets()) {
    SCOPED_TRACE(t);
    const SetupRun installed_run = run_setup(e2e_program("e2e_setup"), {"-G", "-Q", "-I", "-P" + target_.path()});
    ASSERT_EQ(installed_run.exit_code, 0u) << installed_run.log;
    const std::string added = "FILE:" + t + "\r\nDIR:" + t + "\r\nAPP:" + other_key + "\r\nRDIR:" + t + "\r\nFILE:" +
                              journal + "\r\n";
    const std::string earlier = read_file(journal).value_or("");
    ASSERT_TRUE(write_file(journal, earlier + added));
    const std::string end = std::to_string(earlier.size() + added.size());
    ASSERT_TRUE(write_file(list, "SAVED:" + installed() + "\\readme.txt|" + t + "|32|" + any_digest + "\r\n" +
                                     "SAVED:" + t + "|" + rdir + "\\keep.txt|32|" + any_digest + "\r\n" + "LINK:" + t +
                                     "|" + to_hex("OVERWRITTEN") + "\r\nMADE:" + t + "\r\nRUN:" + end + "\r\n"));

    const SetupRun r = run_command(driver::quote_arg(installed() + "\\uninst\\uninstall.exe") + " -G -Q -W" + log);
    EXPECT_EQ(r.exit_code, uninstall_refused_records) << r.log;
    const std::vector<std::string> lines = lines_of(log);
    EXPECT_TRUE(logged(lines, "refused DIR:" + t)) << read_file(log).value_or("");
    EXPECT_TRUE(logged(lines, "refused earlier link " + t)) << read_file(log).value_or("");
    EXPECT_TRUE(logged(lines, "refused APP:" + other_key)) << read_file(log).value_or("");
    EXPECT_EQ(state(), before_);
    EXPECT_FALSE(folder_exists(installed()));
  }
}

}  // namespace
