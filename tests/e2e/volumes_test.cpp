// A setup whose files lie in data volumes beside it installs them byte for
// byte and uninstalls them; a volume that is missing, cut short, of another
// build or damaged is named, the run ends as one whose input was damaged, and
// nothing of the installation stays, whatever -B says.
#include <gtest/gtest.h>

#include <functional>

#include "core/exit_codes.h"
#include "e2e_paths.h"
#include "setup_run.h"
#include "tests/e2e/install_check.h"
#include "tests/e2e/machine_state.h"
#include "tests/e2e/tree_snapshot.h"
#include "tests/support/win_fs.h"

namespace {

constexpr const char* volume_setup = "e2e_setup_volumes";

std::string volume_name(const std::string& setup, int n) { return setup + "-" + std::to_string(n) + ".bin"; }

// A copy of the volume setup and its volumes in a folder of their own, which
// a test may damage.
class VolumeCopy {
 public:
  VolumeCopy() {
    const std::string from = std::string(e2e_bin_dir) + "\\";
    EXPECT_TRUE(CopyFileA((from + volume_setup + ".exe").c_str(), setup().c_str(), FALSE));
    while (CopyFileA((from + volume_name(volume_setup, count_ + 1)).c_str(), volume(count_ + 1).c_str(), FALSE)) {
      ++count_;
    }
  }
  std::string setup() const { return dir_ / (std::string(volume_setup) + ".exe"); }
  std::string volume(int n) const { return dir_ / volume_name(volume_setup, n); }
  int count() const { return count_; }

 private:
  TempDir dir_;
  int count_ = 0;
};

bool change_file(const std::string& path, const std::function<void(std::string&)>& change) {
  std::optional<std::string> bytes = read_file(path);
  if (!bytes) return false;
  change(*bytes);
  return write_file(path, *bytes);
}

class Volumes : public ::testing::Test {
 protected:
  std::string installed() const { return target_ / product_folder; }
  SetupRun silent(const VolumeCopy& copy, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"-G", "-Q", "-P" + target_.path(), "-W" + log_};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_setup(copy.setup(), args);
  }
  std::string log() const { return read_file(log_).value_or(""); }

  TempDir target_;
  TempDir logs_;
  const std::string log_ = logs_ / "setup.log";
};

TEST_F(Volumes, InstallByteForByteAndUninstallLeavesTheMachineAsItWas) {
  const VolumeCopy copy;
  ASSERT_GE(copy.count(), 6) << "the large file should span several volumes";
  const TreeSnapshot before = machine();
  const std::string keys = uninstall_keys();

  const SetupRun r = silent(copy, {"-M", "-R", "-F"});
  ASSERT_EQ(r.exit_code, DWORD(exit_success)) << r.log << log();
  EXPECT_TRUE(r.boxes.empty()) << r.log;
  expect_same_files(e2e_product_files, installed(), installation_adds);
  EXPECT_NE(log().find(std::to_string(copy.count()) + " data volumes in "), std::string::npos) << log();

  const SetupRun removed = run_command(driver::quote_arg(installed() + "\\uninst\\uninstall.exe") + " -G -Q");
  EXPECT_EQ(removed.exit_code, DWORD(exit_success)) << removed.log;
  ASSERT_TRUE(DeleteFileA(log_.c_str()));
  EXPECT_EQ(tree_differences(before, machine()), "");
  EXPECT_EQ(uninstall_keys(), keys);
}

// Each case damages one copy; the run is silent and without -B, so that a
// rollback it makes is the payload's own.
TEST_F(Volumes, AVolumeThatCannotBeUsedIsNamedAndNothingStays) {
  struct Case {
    const char* what;
    int volume;  // the volume the log names; 0: the last
    std::function<bool(const VolumeCopy&)> damage;
    const char* reason;
  };
  const std::string other_build = std::string(e2e_bin_dir) + "\\" + volume_name("e2e_setup_v2_volumes", 2);
  const Case cases[] = {
      {"a byte changed in the middle volume's data", 3,
       [](const VolumeCopy& c) { return change_file(c.volume(3), [](std::string& b) { b[b.size() / 2] ^= 0x20; }); },
       "It is damaged"},
      {"a byte changed in a volume's header", 2,
       [](const VolumeCopy& c) { return change_file(c.volume(2), [](std::string& b) { b[30] ^= 1; }); },
       "It is damaged"},
      {"the last volume missing", 0, [](const VolumeCopy& c) { return DeleteFileA(c.volume(c.count()).c_str()) != 0; },
       "It is missing"},
      {"a volume cut short", 2,
       [](const VolumeCopy& c) { return change_file(c.volume(2), [](std::string& b) { b.resize(b.size() - 1000); }); },
       "It is incomplete"},
      {"a volume longer than made", 2,
       [](const VolumeCopy& c) { return change_file(c.volume(2), [](std::string& b) { b += "x"; }); },
       "It is incomplete"},
      {"a volume of another build", 2,
       [&other_build](const VolumeCopy& c) { return CopyFileA(other_build.c_str(), c.volume(2).c_str(), FALSE) != 0; },
       "It belongs to another build"},
  };
  const TreeSnapshot before = snapshot(target_.path());
  const std::string keys = uninstall_keys();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const VolumeCopy copy;
    ASSERT_TRUE(c.damage(copy));
    const SetupRun r = silent(copy, {"-M", "-R"});
    EXPECT_EQ(r.exit_code, DWORD(exit_input_damaged)) << r.log << log();
    EXPECT_TRUE(r.boxes.empty()) << r.log;
    const std::string named = copy.volume(c.volume ? c.volume : copy.count()) + ": " + c.reason;
    EXPECT_NE(log().find("data volume " + named), std::string::npos) << log();
    EXPECT_EQ(tree_differences(before, snapshot(target_.path())), "");
    EXPECT_TRUE(unfinished_records(target_.path()).empty());
    EXPECT_EQ(uninstall_keys(), keys);
  }
}

// Killed at moments spread over the installation of the large file, then
// undone by the next run with -B: the machine is as before each time.
TEST_F(Volumes, AKilledInstallationIsUndoneByTheNextRun) {
  const VolumeCopy copy;
  const TreeSnapshot before = snapshot(target_.path());
  const std::string keys = uninstall_keys();
  std::string command = driver::quote_arg(copy.setup());
  for (const std::string& arg : std::vector<std::string>{"-G", "-Q", "-M", "-R", "-P" + target_.path()}) {
    command += " " + driver::quote_arg(arg);
  }
  int killed_midway = 0;
  for (const DWORD delay : {60, 120, 180, 240, 300, 360}) {
    SCOPED_TRACE(delay);
    driver::Process p = driver::Process::start(command);
    ASSERT_TRUE(p.started());
    // A run killed before it began its record leaves nothing to undo, and
    // the next run then installs; one that ended is simply uninstalled.
    bool installed_whole = p.wait(delay);
    if (!installed_whole) {
      p.kill();
      ++killed_midway;
      const SetupRun undone = silent(copy, {"-B"});
      EXPECT_TRUE(undone.exit_code == DWORD(exit_rolled_back) || undone.exit_code == DWORD(exit_success))
          << undone.exit_code << log();
      // A run killed after its journal was written had installed whole: the
      // next one finds nothing to undo, and its own files are in the way.
      installed_whole = undone.exit_code == DWORD(exit_success) ||
                        GetFileAttributesA((installed() + "\\uninst\\log_inst.dat").c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    if (installed_whole) {
      const SetupRun removed = run_command(driver::quote_arg(installed() + "\\uninst\\uninstall.exe") + " -G -Q");
      EXPECT_EQ(removed.exit_code, DWORD(exit_success)) << removed.log;
    }
    EXPECT_EQ(tree_differences(before, snapshot(target_.path())), "");
    EXPECT_TRUE(unfinished_records(target_.path()).empty());
    EXPECT_EQ(uninstall_keys(), keys);
  }
  EXPECT_GT(killed_midway, 0) << "every run ended before its kill";
}

// A person is asked: Retry looks again, Cancel ends the run.
TEST_F(Volumes, AMissingVolumeIsNamedAndRetryLooksAgain) {
  const VolumeCopy copy;
  ASSERT_TRUE(DeleteFileA(copy.volume(copy.count()).c_str()));
  const SetupRun r = run_setup(copy.setup(), {"-P" + target_.path()}, 60000, {IDRETRY, IDCANCEL});
  EXPECT_EQ(r.exit_code, DWORD(exit_input_damaged)) << r.log;
  ASSERT_EQ(r.boxes.size(), 2u) << r.log;
  for (const driver::Dialog& box : r.boxes) {
    EXPECT_EQ(box.caption, "Data volume");
    EXPECT_NE(box.message.find(copy.volume(copy.count()) + "\r\nIt is missing or cannot be opened."),
              std::string::npos)
        << box.message;
    EXPECT_NE(box.button(IDRETRY), nullptr);
    EXPECT_NE(box.button(IDCANCEL), nullptr);
  }
  EXPECT_EQ(GetFileAttributesA(installed().c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace

namespace {

// Damage found while installing: the message names the volume, Retry reads
// the block again, Cancel rolls back what was written.
TEST_F(Volumes, DamageFoundWhileInstallingIsNamedAndRolledBack) {
  const VolumeCopy copy;
  ASSERT_TRUE(change_file(copy.volume(3), [](std::string& b) { b[b.size() / 2] ^= 0x20; }));
  const TreeSnapshot before = snapshot(target_.path());
  const std::string keys = uninstall_keys();
  const SetupRun r =
      run_setup(copy.setup(), {"-L0", "-M", "-R"}, 60000, {IDRETRY, IDCANCEL}, install_into(target_.path()));
  EXPECT_EQ(r.exit_code, DWORD(exit_input_damaged)) << r.log;
  int asked = 0;
  for (const driver::Dialog& box : r.boxes) {
    if (box.caption != "Data volume") continue;
    ++asked;
    EXPECT_NE(box.message.find(copy.volume(3) + "\r\nIt is damaged"), std::string::npos) << box.message;
  }
  EXPECT_EQ(asked, 2) << r.log;
  EXPECT_EQ(tree_differences(before, snapshot(target_.path())), "");
  EXPECT_TRUE(unfinished_records(target_.path()).empty());
  EXPECT_EQ(uninstall_keys(), keys);
}

}  // namespace
