// Runs that are stopped before they end (the process killed, the machine
// switched off) leave a record in the installation folder; the next run finds
// it before it installs anything and undoes the stopped run with -B.
//
// The run stops itself at a chosen record with the test hook
// SETUP_TEST_STOP_AT=<line prefix>#<n> (TerminateProcess, as a kill).
#include <gtest/gtest.h>

#include <map>

#include "e2e_paths.h"
#include "setup_run.h"
#include "tests/e2e/install_check.h"
#include "tests/e2e/tree_snapshot.h"
#include "system/uninstall_registration.h"
#include "tests/support/registry_view.h"
#include "tests/support/win_fs.h"

namespace {

constexpr DWORD exit_rolled_back = 5;
constexpr DWORD exit_failed_kept = 6;

// An earlier installation of 1,000 files: folders f10 to f19 with older files
// (one read-only) and a file of the user's; f20 to f29 are new to it.
class StoppedRun : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string d = installed();
    ASSERT_TRUE(CreateDirectoryA(d.c_str(), nullptr));
    for (int folder = 10; folder < 20; ++folder) {
      const std::string f = d + "\\f" + std::to_string(folder);
      ASSERT_TRUE(CreateDirectoryA(f.c_str(), nullptr));
      for (int file = 10; file < 60; ++file) {
        ASSERT_TRUE(write_file(f + "\\file" + std::to_string(file) + ".dat", "old " + std::to_string(file)));
      }
    }
    ASSERT_TRUE(set_read_only(d + "\\f10\\file10.dat", true));
    ASSERT_TRUE(write_file(d + "\\f15\\users.txt", "mine"));
    before_ = snapshot(target_.path());
    backups_before_ = installer_entries_in_temp();
  }
  std::string installed() const { return target_ / product_folder; }
  SetupRun run(const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"-G", "-O", "-P" + target_.path()};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_setup(e2e_program("e2e_setup_stop"), args, 120000);
  }

  TempDir target_;
  TreeSnapshot before_;
  std::vector<std::string> backups_before_;
};

TEST_F(StoppedRun, NextRunUndoesItWithBAndChangesNothingWithout) {
  // After the first folder it made, in the middle of the files, and right
  // before a replaced file is moved aside.
  for (const char* stop_at : {"DIR:#2", "FILE:#700", "*SAVE:#230"}) {
    SCOPED_TRACE(stop_at);
    {
      ScopedStop stop(stop_at);
      const SetupRun stopped = run({});
      ASSERT_TRUE(stopped.finished) << stopped.log;
      ASSERT_EQ(stopped.exit_code, exit_stopped) << stopped.log;
    }
    ASSERT_EQ(unfinished_records(target_.path()).size(), 1u);
    const TreeSnapshot after_stop = snapshot(target_.path());
    EXPECT_NE(tree_differences(before_, after_stop), "");

    // Without -B nothing changes, not even a file of the new installation.
    const SetupRun refused = run({});
    EXPECT_EQ(refused.exit_code, exit_failed_kept) << refused.log;
    EXPECT_TRUE(refused.boxes.empty()) << refused.log;
    EXPECT_EQ(tree_differences(after_stop, snapshot(target_.path())), "");

    // With -B the stopped run is undone, and nothing is installed.
    const SetupRun undone = run({"-B"});
    EXPECT_EQ(undone.exit_code, exit_rolled_back) << undone.log;
    EXPECT_TRUE(undone.boxes.empty()) << undone.log;
    EXPECT_EQ(tree_differences(before_, snapshot(target_.path())), "");
    EXPECT_EQ(installer_entries_in_temp(), backups_before_);
  }

  // A further run installs normally and leaves no record behind.
  const SetupRun complete = run({});
  EXPECT_EQ(complete.exit_code, 0u) << complete.log;
  EXPECT_TRUE(unfinished_records(target_.path()).empty());
  EXPECT_EQ(read_file(installed() + "\\f10\\file10.dat"), "new 10/10\n");
}

TEST_F(StoppedRun, InteractiveRunAsksAndUndoesOnYes) {
  {
    ScopedStop stop("FILE:#300");
    ASSERT_EQ(run({}).exit_code, exit_stopped);
  }
  // The path dialog gets the same folder; then Yes to the question.
  const SetupRun r =
      run_setup(e2e_program("e2e_setup_stop"), {"-O", "-L0"}, 120000, {IDYES}, install_into(target_.path()));
  EXPECT_EQ(r.exit_code, exit_rolled_back) << r.log;
  ASSERT_EQ(r.boxes.size(), 3u) << r.log;
  EXPECT_EQ(r.boxes[0].caption, path_dialog_caption);
  EXPECT_EQ(r.boxes[1].caption, "Installation not finished");
  EXPECT_EQ(r.boxes[1].message,
            "An earlier installation into\r\n" + installed() +
                "\\\r\nwas stopped before it finished.\r\n\r\n"
                "Select YES to undo it now and put back the files it replaced.\r\n"
                "Select NO to leave everything as it is and end this setup.");
  EXPECT_EQ(r.boxes[2].caption, "rollback result");
  EXPECT_EQ(tree_differences(before_, snapshot(target_.path())), "");
}

// A second installation into the same folder replaces the first one's links
// and Add/Remove Programs entry and appends to its journal; undoing it,
// stopped right before the journal, puts all back as they were instead of
// removing them.
TEST(StoppedRunOverAnEarlierInstallation, LeavesTheEarlierLinksAndEntryAsTheyWere) {
  TempDir target;
  const std::string installed = target / product_folder;
  const auto journal = [&installed] {
    return journal_lines(read_file(installed + "\\uninst\\log_inst.dat").value_or(""));
  };
  const auto entry_values = [](const std::string& key) {
    std::string values;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(uninstall_root_key) + key).c_str(), 0,
                      KEY_READ | program_registry_view(), &opened) != ERROR_SUCCESS) {
      return values;
    }
    for (DWORD i = 0;; ++i) {
      char name[256];
      BYTE data[1024];
      DWORD name_size = sizeof name, data_size = sizeof data, type = 0;
      if (RegEnumValueA(opened, i, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
      values += std::string(name) + "=" + std::string(reinterpret_cast<char*>(data), data_size) + "\n";
    }
    RegCloseKey(opened);
    return values;
  };

  const SetupRun first = run_setup(e2e_program("e2e_setup"), {"-G", "-L0", "-I", "-P" + target.path()});
  ASSERT_EQ(first.exit_code, 0u) << first.log;
  std::map<std::string, std::string> links;
  std::string key;
  for (const std::string& line : journal()) {
    if (line.rfind("FILE:", 0) == 0 && line.size() > 4 && line.compare(line.size() - 4, 4, ".lnk") == 0) {
      links[line.substr(5)] = read_file(line.substr(5)).value_or("");
    }
    if (line.rfind("APP:", 0) == 0) key = line.substr(4);
  }
  ASSERT_EQ(links.size(), 5u);
  const std::vector<std::string> first_journal = journal();
  const std::string values = entry_values(key);
  ASSERT_NE(values.find("-L 0"), std::string::npos) << values;

  {
    ScopedStop stop("*JOURNALWAS:#1");  // the entry and the links are written, the journal not yet
    const SetupRun second = run_setup(e2e_program("e2e_setup"), {"-G", "-O", "-L1000", "-I", "-P" + target.path()});
    ASSERT_EQ(second.exit_code, exit_stopped) << second.log;
  }
  ASSERT_NE(entry_values(key).find("-L 1000"), std::string::npos) << "the second run wrote its own entry";
  ASSERT_NE(read_file(links.begin()->first), links.begin()->second) << "and its own links";

  const SetupRun undone = run_setup(e2e_program("e2e_setup"), {"-G", "-B", "-P" + target.path()});
  EXPECT_EQ(undone.exit_code, exit_rolled_back) << undone.log;
  for (const auto& [path, bytes] : links) EXPECT_EQ(read_file(path), bytes) << path;
  EXPECT_EQ(journal(), first_journal);
  EXPECT_EQ(entry_values(key), values);
  EXPECT_TRUE(unfinished_records(target.path()).empty());
}

}  // namespace
