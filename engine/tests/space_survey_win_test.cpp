// What the free-space check learns from the system, on the prefix's real
// drives.
#include "engine/space_survey.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/win_fs.h"

namespace {

// A file of size bytes that takes no space: its end set, nothing written.
bool make_sparse(const std::string& path, std::uint64_t size) {
  const HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(size);
  const bool ok = SetFilePointerEx(f, end, nullptr, FILE_BEGIN) && SetEndOfFile(f);
  CloseHandle(f);
  return ok;
}

// A drive letter that names nothing in this prefix.
std::string unmapped_drive() {
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'Y'; letter > 'D'; --letter) {
    if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":\\";
  }
  return "";
}

}  // namespace

// The files already where the installation's go, by their full 64-bit size;
// folders and missing files are none of them. The drive is the one the
// folder lies on, with its cluster size and the free space the system gives.
TEST(SpaceSurvey, FindsTheFilesInTheWayAndTheirDrive) {
  TempDir dir;
  const std::string install_dir = dir.path() + "\\";
  ASSERT_TRUE(write_file(dir / "a.txt", std::string(5000, 'a')));
  ASSERT_TRUE(CreateDirectoryA((dir / "data").c_str(), nullptr));
  ASSERT_TRUE(write_file(dir / "data\\b.dat", "bb"));
  ASSERT_TRUE(CreateDirectoryA((dir / "music").c_str(), nullptr));
  constexpr std::uint64_t beyond_4_gib = (5ull << 30) + 3;
  ASSERT_TRUE(make_sparse(dir / "huge.pak", beyond_4_gib));
  const std::vector<PlannedFile> files = {
      {"a.txt", 10}, {"data\\b.dat", 10}, {"music", 10}, {"new.txt", 10}, {"huge.pak", 10}};

  const SpaceFacts facts = survey_space(files, install_dir, dir.path());
  DeleteFileA((dir / "huge.pak").c_str());

  const std::map<std::string, std::uint64_t> expected = {
      {"a.txt", 5000}, {"data\\b.dat", 2}, {"huge.pak", beyond_4_gib}};
  EXPECT_EQ(facts.existing, expected);
  EXPECT_EQ(facts.install_dir_length, install_dir.size());
  EXPECT_EQ(facts.install.volume.substr(1), ":\\");
  EXPECT_EQ(facts.install.volume[0], install_dir[0]);
  const std::uint64_t cluster = facts.install.cluster_size;
  EXPECT_TRUE(cluster >= 512 && (cluster & (cluster - 1)) == 0) << cluster;
  ASSERT_TRUE(facts.install.free.has_value());
  EXPECT_GT(*facts.install.free, 0u);
  EXPECT_EQ(facts.backup.volume, facts.install.volume);
}

// A folder not made yet is on the drive of the nearest one above it, and
// holds nothing to replace.
TEST(SpaceSurvey, ANewFolderIsMeasuredOnTheDriveAboveIt) {
  TempDir dir;
  const SpaceFacts facts = survey_space({{"a.txt", 1}}, dir / "not\\yet\\", dir.path());
  EXPECT_TRUE(facts.existing.empty());
  EXPECT_EQ(facts.install.volume, drive_of(dir.path()).volume);
  EXPECT_TRUE(facts.install.free.has_value());
}

// A drive that names nothing: its free space cannot be read, which the
// check then does not hold against it.
TEST(SpaceSurvey, ADriveThatIsNotThereHasNoFreeSpaceToRead) {
  const std::string drive = unmapped_drive();
  if (drive.empty()) GTEST_SKIP() << "every drive letter is taken";
  const DriveFacts facts = drive_of(drive + "Games\\Quasarine_II\\");
  EXPECT_EQ(facts.volume, drive);
  EXPECT_FALSE(facts.free.has_value());
  EXPECT_NE(facts.free_error, 0u);
  EXPECT_TRUE((DriveNeed{facts.volume, 1ull << 40, facts.free, facts.free_error}.fits()));
}
