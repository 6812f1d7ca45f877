#include "engine/space_needed.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kib = 1024;
constexpr std::uint64_t gib = kib * kib * kib;

struct Drive {
  std::string volume;
  std::uint64_t needed_for_files;  // without the installation's own files on its drive
};

struct Case {
  const char* what;
  std::vector<PlannedFile> files;
  std::map<std::string, std::uint64_t> existing;
  DriveFacts install;
  DriveFacts backup;
  std::vector<Drive> expected;
};

std::vector<PlannedFile> many(int count, std::uint64_t size) {
  std::vector<PlannedFile> files;
  for (int i = 0; i < count; ++i) files.push_back({"data\\f" + std::to_string(i) + ".dat", size});
  return files;
}

DriveFacts drive(const char* volume, std::uint64_t cluster) { return {volume, cluster, std::nullopt, 0}; }

}  // namespace

TEST(SpaceNeeded, EachDriveGetsWhatItsClustersTakeLessWhatMovesAway) {
  const std::vector<Case> cases = {
      {"every size in whole clusters; an empty file takes none",
       {{"a", 1}, {"b", 4096}, {"c", 4097}, {"d", 0}}, {}, drive("C:\\", 4096), drive("C:\\", 4096),
       {{"C:\\", 4 * 4096}}},
      {"20,000 small files take 41 times their bytes",
       many(20000, 100), {}, drive("C:\\", 4096), drive("C:\\", 4096), {{"C:\\", 20000 * 4096}}},
      {"no cluster size known: the bytes as they are",
       {{"a", 1}, {"b", 4097}}, {}, drive("C:\\", 0), drive("C:\\", 0), {{"C:\\", 4098}}},
      {"replaced files moved on the same drive free nothing",
       {{"a", 10000}, {"b", 5000}}, {{"a", 9000}}, drive("C:\\", 4096), drive("c:", 4096),
       {{"C:\\", 3 * 4096 + 2 * 4096}}},
      {"replaced files moved to another drive free theirs and take as much there, in its clusters",
       {{"a", 10000}, {"b", 5000}}, {{"a", 9000}}, drive("C:\\", 4096), drive("D:\\", 512),
       {{"C:\\", 3 * 4096 + 2 * 4096 - 3 * 4096}, {"D:\\", 18 * 512}}},
      {"smaller files replacing larger ones need nothing for themselves",
       {{"a", 10}}, {{"a", 100000}}, drive("C:\\", 4096), drive("D:\\", 512), {{"C:\\", 0}, {"D:\\", 196 * 512}}},
      {"a file where none of the installation's goes is no concern",
       {{"a", 1}}, {{"other", 50000}}, drive("C:\\", 4096), drive("D:\\", 512), {{"C:\\", 4096}}},
      {"a volume mounted in a folder is another drive",
       {{"a", 1}}, {{"a", 1}}, drive("C:\\mnt\\games\\", 4096), drive("C:\\", 4096),
       {{"C:\\mnt\\games\\", 0}, {"C:\\", 4096}}},
      {"a file beyond 4 GiB",
       {{"big", 5 * gib + 1}}, {}, drive("C:\\", 4096), drive("C:\\", 4096), {{"C:\\", 5 * gib + 4096}}},
      {"files of 64 GiB, beyond 64 GiB together",
       {{"a", 64 * gib}, {"b", 64 * gib}, {"c", 64 * gib}, {"d", 1}}, {}, drive("C:\\", 4096), drive("C:\\", 4096),
       {{"C:\\", 192 * gib + 4096}}},
      {"a 64 GiB file replaced, its old copy saved on another drive",
       {{"a", 64 * gib}, {"b", 64 * gib}}, {{"a", 64 * gib - 1}}, drive("C:\\", 4096), drive("E:\\", 65536),
       {{"C:\\", 64 * gib}, {"E:\\", 64 * gib}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SpaceFacts facts;
    facts.install = c.install;
    facts.backup = c.backup;
    facts.existing = c.existing;
    facts.install_dir_length = 20;
    const std::vector<DriveNeed> drives = space_needed(c.files, facts);
    ASSERT_EQ(drives.size(), c.expected.size());
    const std::uint64_t own = on_disk_size(own_files_size(c.files, facts), c.install.cluster_size);
    for (std::size_t i = 0; i < drives.size(); ++i) {
      EXPECT_EQ(drives[i].volume, c.expected[i].volume);
      EXPECT_EQ(drives[i].needed, c.expected[i].needed_for_files + (i == 0 ? own : 0)) << drives[i].volume;
    }
  }
}

// The journal, the backup list and the run's record: a fixed part, and for
// each file two lines naming it, for a replaced one two more naming it twice.
TEST(SpaceNeeded, TheOwnFilesGrowWithTheFilesAndTheReplacedOnes) {
  SpaceFacts facts;
  facts.install_dir_length = 10;
  const std::vector<PlannedFile> files = {{"a.txt", 5}, {"data\\b.txt", 7}};
  EXPECT_EQ(own_files_size({}, facts), 256 * kib);
  EXPECT_EQ(own_files_size(files, facts), 256 * kib + 2 * (15 + 8) + 2 * (20 + 8));
  facts.existing["data\\b.txt"] = 3;
  EXPECT_EQ(own_files_size(files, facts), 256 * kib + 2 * (15 + 8) + 2 * (20 + 8) + 2 * (2 * 20 + 96));
  // 20,000 files below a folder of 40 characters, names of 30: a few MB,
  // which a fixed allowance alone would not have held.
  facts.existing.clear();
  facts.install_dir_length = 40;
  std::vector<PlannedFile> lots(20000, PlannedFile{std::string(30, 'n'), 1});
  EXPECT_EQ(own_files_size(lots, facts), 256 * kib + 20000 * 2 * (70 + 8));
}
