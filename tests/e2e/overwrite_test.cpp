// Existing files under the installation folder, end to end: replaced only as
// "-O", "-G" and the user's answer allow, and saved before they are replaced.
#include <gtest/gtest.h>

#include "e2e_paths.h"
#include "setup_run.h"
#include "tests/e2e/install_check.h"
#include "tests/support/win_fs.h"

namespace {

constexpr DWORD exit_failed_kept = 6;
constexpr DWORD exit_paths_unusable = 4;

class ExistingFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryA(installed().c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((installed() + "\\uninst").c_str(), nullptr));
    ASSERT_TRUE(write_file(installed() + "\\readme.txt", "my own notes"));
    ASSERT_TRUE(set_read_only(installed() + "\\readme.txt", true));
  }
  std::string installed() const { return target_ / product_folder; }
  std::string payload_file(const std::string& name) const {
    const std::string source = name == "uninst\\uninstall.exe" ? std::string(e2e_uninstaller)
                                                                : std::string(e2e_product_files) + "\\" + name;
    return read_file(source).value_or("<missing>");
  }

  TempDir target_;
};

TEST_F(ExistingFiles, OverwriteAllReplacesAndSavesTheOldFileWithItsAttribute) {
  const std::string saved = target_ / "saved";
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-O", "-P" + target_.path(), "-p" + saved});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, 0u) << r.log;
  EXPECT_EQ(read_file(installed() + "\\readme.txt"), payload_file("readme.txt"));

  // "-p": the saved file lies directly below the given folder, read-only as it was.
  EXPECT_EQ(list_tree(saved), std::vector<std::string>{"readme.txt"});
  EXPECT_EQ(read_file(saved + "\\readme.txt"), std::string("my own notes"));
  EXPECT_TRUE(is_read_only(saved + "\\readme.txt"));
}

TEST_F(ExistingFiles, SilentRunWithoutOverwriteStopsAtTheFirstExistingFile) {
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-P" + target_.path()});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, exit_failed_kept);
  EXPECT_TRUE(r.boxes.empty()) << r.log;  // no question, no success report

  EXPECT_EQ(read_file(installed() + "\\readme.txt"), std::string("my own notes"));
  // Files before it in the payload's order are written, the ones after are not.
  EXPECT_TRUE(file_exists(installed() + "\\exebin\\quasarine2.exe"));
  EXPECT_FALSE(file_exists(installed() + "\\stra\xDF" "e.txt"));
  EXPECT_FALSE(file_exists(installed() + "\\uninst\\uninstall.exe"));

  // The journal still lists what was written, so the uninstaller can remove it.
  const auto journal = read_file(installed() + "\\uninst\\log_inst.dat");
  ASSERT_TRUE(journal);
  const std::vector<std::string> lines = journal_lines(*journal);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "FILE:" + installed() + "\\uninst\\log_inst.dat");
  // Seven files before readme.txt; the game's link, since a failed
  // installation that stays still gets its links (the uninstaller was never
  // written, so its link is not made); and the journal.
  EXPECT_EQ(file_records(lines), 9);
  EXPECT_TRUE(file_exists(installed() + "\\Quasarine II.lnk"));
  EXPECT_FALSE(file_exists(installed() + "\\Uninstall Quasarine.lnk"));
}

TEST_F(ExistingFiles, InteractiveYesReplacesThisFileAndAsksNoMore) {
  ASSERT_TRUE(write_file(installed() + "\\uninst\\uninstall.exe", "old uninstaller"));
  const std::string saved = target_ / "saved";
  // The path dialog gets the folder; then Yes (replace all), No (keep the
  // saved files), and OK.
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-L0", "-p" + saved}, 60000, {IDYES, IDNO},
                               install_into(target_.path()));
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, 0u) << r.log;
  ASSERT_EQ(r.boxes.size(), 4u) << r.log;
  EXPECT_EQ(r.boxes[0].caption, path_dialog_caption);
  EXPECT_EQ(r.boxes[1].caption, "Install failed");
  EXPECT_EQ(r.boxes[1].message.rfind("The file" + installed() + "\\readme.txt\r\n", 0), 0u) << r.boxes[1].message;
  EXPECT_EQ(r.boxes[2].caption, "Delete temporary files?");
  EXPECT_EQ(r.boxes[3].caption, "Install complete");

  EXPECT_EQ(read_file(installed() + "\\readme.txt"), payload_file("readme.txt"));
  EXPECT_EQ(read_file(installed() + "\\uninst\\uninstall.exe"), payload_file("uninst\\uninstall.exe"));
  EXPECT_EQ(list_tree(saved), (std::vector<std::string>{"readme.txt", "uninst\\", "uninst\\uninstall.exe"}));
}

// A setup that runs out of disk space on the 1 MiB drive Q: of the fixture.
TEST(FullDisk, SetupReportsAFailedInstallationNotASuccess) {
  if (!folder_exists("Q:\\")) GTEST_SKIP() << "drive Q: is not set up (the fixture needs root)";
  const ScopedNoSpaceCheck while_writing;
  const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", "-PQ:\\"});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, exit_failed_kept);
  // No success report; at most the one that the journal could not be written.
  for (const driver::Dialog& box : r.boxes) EXPECT_EQ(box.caption, "Install incomplete") << r.log;
  remove_tree(std::string("Q:\\") + product_folder);
}

// A drive that cannot be written: refused by the write probe, nothing left.
TEST(FullDisk, AReadOnlyDriveIsRefusedBeforeAnythingIsWritten) {
  if (!folder_exists("R:\\existing")) GTEST_SKIP() << "drive R: is not set up (the fixture needs root)";
  for (const char* base : {"R:\\", "R:\\existing", "R:\\new\\deeper"}) {
    const SetupRun r = run_setup(e2e_program("e2e_setup"), {"-G", "-M", "-R", std::string("-P") + base});
    ASSERT_TRUE(r.finished) << r.log;
    EXPECT_EQ(r.exit_code, exit_paths_unusable) << base;
    EXPECT_TRUE(r.boxes.empty()) << r.log;
  }
  EXPECT_EQ(list_tree("R:\\"), std::vector<std::string>{"existing\\"});
}

}  // namespace
