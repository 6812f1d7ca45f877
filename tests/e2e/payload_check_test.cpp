// The payload check of setup.exe: a damaged container, damaged or missing
// checksums, and a container one of whose entries must not be installed are
// refused before anything is written, with the checksum message in the
// language "-L" asks for, or quietly with "-G"; the exit code tells a script
// either way.
#include <gtest/gtest.h>

#include "e2e_paths.h"
#include "setup_run.h"
#include "tests/e2e/install_check.h"
#include "tests/support/win_fs.h"

namespace {

constexpr const char* checksum_caption = "Input-files invalid";
constexpr const char* checksum_english = "This Install-file has a checksum-error, so we won't continue install.";
constexpr const char* checksum_german =
    "Diese Installationsdatei hat eine Checksummenfehler\r\n"
    "Daher kann die Installation nicht durchfeg\xFChrt werden.";
constexpr DWORD exit_payload_invalid = 2;

class DamagedPayload : public ::testing::TestWithParam<const char*> {
 protected:
  // -P points at a folder of the test's own, so anything written would show.
  SetupRun run(std::vector<std::string> args) {
    args.push_back("-P" + target_.path());
    return run_setup(e2e_program(std::string("e2e_setup_") + GetParam()), args);
  }
  // No folder, no file, no journal, no backup folder.
  void expect_nothing_installed() {
    EXPECT_TRUE(list_tree(target_.path()).empty());
    EXPECT_EQ(installer_entries_in_temp(), backups_before_);
  }

  TempDir target_;
  const std::vector<std::string> backups_before_ = installer_entries_in_temp();
};

TEST_P(DamagedPayload, ShowsTheEnglishChecksumMessageAndInstallsNothing) {
  const SetupRun r = run({});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, exit_payload_invalid);
  ASSERT_EQ(r.boxes.size(), 1u) << r.log;
  EXPECT_EQ(r.boxes[0].caption, checksum_caption);
  EXPECT_EQ(r.boxes[0].message, checksum_english);
  ASSERT_EQ(r.boxes[0].buttons.size(), 1u);
  EXPECT_EQ(r.boxes[0].buttons[0].id, IDOK);
  expect_nothing_installed();
}

TEST_P(DamagedPayload, ShowsTheGermanMessageForGermanAndOnlyThen) {
  const SetupRun german = run({"-L1000"});
  ASSERT_TRUE(german.finished) << german.log;
  ASSERT_EQ(german.boxes.size(), 1u) << german.log;
  EXPECT_EQ(german.boxes[0].message, checksum_german);
  EXPECT_EQ(german.exit_code, exit_payload_invalid);

  // Any other language number keeps the English text.
  const SetupRun other = run({"-L5"});
  ASSERT_TRUE(other.finished) << other.log;
  ASSERT_EQ(other.boxes.size(), 1u) << other.log;
  EXPECT_EQ(other.boxes[0].message, checksum_english);
  expect_nothing_installed();
}

TEST_P(DamagedPayload, SilentRunShowsNothingAndStillFails) {
  const SetupRun r = run({"-G", "-L1000"});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_TRUE(r.boxes.empty()) << r.log;
  EXPECT_EQ(r.exit_code, exit_payload_invalid);
  expect_nothing_installed();
}

// unread_data and unread_name change bytes the keyed digest never reads:
// only the checksums find them.
INSTANTIATE_TEST_SUITE_P(Damage, DamagedPayload,
                         ::testing::Values("flip_digest", "truncate", "count_overrun", "unread_data", "unread_name",
                                           "sums_entry", "no_sums"));

// Intact containers with one entry that must not be installed, after
// ordinary ones: refused as a whole, even with "-O", which would replace.
class HostilePayload : public DamagedPayload {};

TEST_P(HostilePayload, IsRefusedAsAWholeAndNothingIsWritten) {
  const SetupRun r = run({"-G", "-O"});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_TRUE(r.boxes.empty()) << r.log;
  EXPECT_EQ(r.exit_code, exit_payload_invalid);
  expect_nothing_installed();
}

INSTANTIATE_TEST_SUITE_P(Entries, HostilePayload,
                         ::testing::Values("hostile_escape", "hostile_letter_case", "hostile_folder_then_file",
                                           "hostile_journal"));

TEST(IntactPayload, SampleSetupVerifiesAndInstallsSilently) {
  TempDir target;
  const SetupRun r = run_setup(e2e_sample_setup, {"-G", "-M", "-R", "-P" + target.path()});
  ASSERT_TRUE(r.finished) << r.log;
  EXPECT_EQ(r.exit_code, 0u) << r.log;
  ASSERT_EQ(r.boxes.size(), 1u) << r.log;
  EXPECT_EQ(r.boxes[0].caption, "Install complete");
  EXPECT_TRUE(file_exists(target / "Quasarine_II\\exebin\\quasarine2.exe"));
  EXPECT_TRUE(file_exists(target / "Quasarine_II\\uninst\\log_inst.dat"));
}

}  // namespace
