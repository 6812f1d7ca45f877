// Extraction onto a full disk. The CTest fixture win_tests_full_disk_setup
// mounts a 1 MiB tmpfs as drive Q: (as root); without it these tests skip.
#include "engine/extract.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "core/settings.h"
#include "core/journal.h"
#include "engine/tests/test_payload.h"
#include "engine/tests/test_run.h"
#include "tests/support/win_fs.h"

namespace {

constexpr const char* small_drive = "Q:\\";

// A fresh folder on the small drive, removed at the end so the next run finds
// the drive empty again.
class DriveFolder {
 public:
  explicit DriveFolder(std::string path) : path_(std::move(path)) {
    remove_tree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~DriveFolder() { remove_tree(path_); }
  DriveFolder(const DriveFolder&) = delete;
  DriveFolder& operator=(const DriveFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

TEST(FullDisk, AShortWriteFailsTheInstallation) {
  if (!folder_exists(small_drive)) GTEST_SKIP() << "drive Q: is not set up (the fixture needs root)";
  ULARGE_INTEGER available{}, total{}, free{};
  ASSERT_TRUE(GetDiskFreeSpaceExA(small_drive, &available, &total, &free));
  ASSERT_LE(total.QuadPart, 4u * 1024 * 1024) << "Q: is not the small test drive";

  DriveFolder game(std::string(small_drive) + "game-" + std::to_string(GetCurrentProcessId()));
  const std::string dir = game.path() + "\\";
  const std::string big = patterned(2 * 1024 * 1024, 8);
  const TestPayload payload({
      FilesetEntry::file("small.txt", patterned(1000, 7)),
      FilesetEntry::file("big.bin", big),  // more than the whole drive
      FilesetEntry::file("after.txt", patterned(100, 9)),
  });
  TestRun s_run;
  InstallerSettings& s = s_run.settings;

  EXPECT_EQ(install_fileset(payload.view(), payload.sums(), dir, true, s_run), 2);

  EXPECT_EQ(read_file(dir + "small.txt"), patterned(1000, 7));
  const auto partial = read_file(dir + "big.bin");
  ASSERT_TRUE(partial.has_value());
  // Preallocated to its size, it holds fewer of its bytes than that.
  EXPECT_NE(*partial, big) << "the drive cannot hold the file";
  // Created files stay journaled, whole or not, so the rollback removes them.
  const auto records = read_records(s.journal);
  ASSERT_GE(records.size(), 2u);
  EXPECT_EQ(records[0], "FILE:" + dir + "small.txt");
  EXPECT_EQ(records[1], "FILE:" + dir + "big.bin");
}
