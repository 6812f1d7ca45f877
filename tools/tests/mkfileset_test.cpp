#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "payload/fileset.h"
#include "payload/fileset_sums.h"
#include "payload/fileset_writer.h"
#include "payload/tests/digest_vectors.h"
#include "tools/tests/host_test_support.h"
#include "tools/mkfileset/cli.h"
#include "tools/mkfileset/listing.h"
#include "tools/mkfileset/pack.h"
#include "tools/mkfileset/tree_scan.h"
#include "tools/tests/packer_fixture.h"

using namespace packer_test;

TEST_F(PackerTest, WorkedExampleAndEmptyFolderMatchTheVectors) {
  const auto vectors = digest_vectors::load(vectors_path());
  ASSERT_TRUE(vectors.loaded) << vectors_path();
  ASSERT_EQ(vectors.containers.size(), 4u);
  make_worked_example(src());
  fs::create_directories(tmp_.path() / "empty");

  for (const auto& v : vectors.containers) {
    const bool empty = v.bytes.size() == fileset_header_size;
    const fs::path from = empty ? tmp_.path() / "empty" : src();
    const Cli cli = run({"--seed", v.seed, from.string(), output().string()});
    ASSERT_EQ(cli.code, 0) << cli.err;
    EXPECT_EQ(read_file(output()), v.bytes) << v.seed << (empty ? " empty" : " worked example");
    const auto view = FilesetView::open(v.bytes.data(), v.bytes.size());
    ASSERT_TRUE(view);
    EXPECT_EQ(read_file(sums_path_for(output())), make_fileset_sums(*view));
  }
}

TEST_F(PackerTest, StreamsFilesInPiecesToTheBytesOfTheInMemoryBuilder) {
  // Files that end inside, at and just past the packer's 1 MiB pieces, so the
  // digest's overlapping blocks straddle them.
  const std::vector<std::pair<std::string, std::size_t>> files = {
      {"a.bin", (1u << 20) + 127}, {"b.bin", 1}, {"c.bin", 0}, {"d\\e.bin", 5u << 19}, {"f.bin", 1u << 20}};
  std::vector<FilesetEntry> entries = {FilesetEntry::folder("d")};
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::string contents(files[i].second, '\0');
    for (std::size_t k = 0; k < contents.size(); ++k) contents[k] = static_cast<char>((k * 31 + i * 7) >> 3);
    std::string name = files[i].first;
    std::string on_disk = name;
    if (const auto at = on_disk.find('\\'); at != std::string::npos) on_disk[at] = '/';
    write_file(src() / on_disk, contents);
    entries.push_back(FilesetEntry::file(name, contents));
  }
  std::sort(entries.begin() + 1, entries.end(), [](const FilesetEntry& a, const FilesetEntry& b) { return a.name < b.name; });

  Tdigest checksum(seed_b);
  const PackOutcome outcome = pack_directory(src(), output(), checksum);
  ASSERT_TRUE(outcome.ok()) << outcome.error;
  const FilesetBuild expected = build_fileset(entries, checksum);
  ASSERT_TRUE(expected.ok()) << expected.error;
  EXPECT_TRUE(read_file(output()) == expected.bytes) << "the streamed container differs";
  const auto view = FilesetView::open(expected.bytes.data(), expected.bytes.size());
  EXPECT_EQ(read_file(sums_path_for(output())), make_fileset_sums(*view));
}

TEST_F(PackerTest, FoldersComeFirstThenFilesEachSortedByName) {
  write_file(src() / "z.txt", "z");
  write_file(src() / "B" / "x", "");
  write_file(src() / "a" / "b" / "c" / "deep.txt", "deep");
  write_file(src() / "a" / "b" / "f", "f");
  fs::create_directories(src() / "a" / "empty");
  write_file(src() / "a-b", "dash sorts before the separator");

  const TreeScan scan = scan_tree(src());
  ASSERT_TRUE(scan.ok()) << scan.error;
  const std::vector<std::string> expected = {"B",   "a", "a\\b",   "a\\b\\c", "a\\empty", "B\\x", "a-b",
                                             "a\\b\\c\\deep.txt", "a\\b\\f", "z.txt"};
  EXPECT_EQ(scanned_names(scan), expected);
  EXPECT_TRUE(scan.entries[4].folder);
  EXPECT_FALSE(scan.entries[5].folder);
  EXPECT_EQ(scan.entries[7].size, 4);
}

// The uninstaller goes where the maker has none: the maker's own file wins,
// and a name that cannot be placed is refused with the rest.
TEST_F(PackerTest, AddsAMissingFileWithItsFoldersButNeverOverTheMakersOwn) {
  write_file(src() / "exebin" / "game.exe", "game");
  write_file(src() / "data", "a file");
  write_file(tmp_.path() / "ours.exe", "our uninstaller");
  const fs::path ours = tmp_.path() / "ours.exe";

  TreeScan scan = scan_tree(src());
  EXPECT_EQ(add_missing_file(scan, "uninst\\tools\\uninstall.exe", ours), AddMissing::added);
  EXPECT_EQ(add_missing_file(scan, "EXEBIN\\Game.exe", ours), AddMissing::present);
  EXPECT_EQ(scanned_names(scan), (std::vector<std::string>{"exebin", "uninst", "uninst\\tools", "data",
                                                           "exebin\\game.exe", "uninst\\tools\\uninstall.exe"}));
  EXPECT_TRUE(scan.ok());
  for (const char* name : {"data\\x.exe", "exebin", "..\\x.exe", "a:b"}) {
    TreeScan bad = scan_tree(src());
    EXPECT_EQ(add_missing_file(bad, name, ours), AddMissing::refused) << name;
    EXPECT_FALSE(bad.ok()) << name;
  }

  const Cli cli = run({"--seed", seed_a, "--add-missing", "uninst\\uninstall.exe=" + ours.string(), "--add-missing",
                       "exebin\\game.exe=" + ours.string(), src().string(), output().string()});
  EXPECT_EQ(cli.code, 0) << cli.err;
  EXPECT_NE(cli.out.find("added uninst\\uninstall.exe"), std::string::npos) << cli.out;
  EXPECT_EQ(cli.out.find("added exebin"), std::string::npos) << cli.out;
  const Cli listed = run({"--seed", seed_a, "--list", output().string()});
  EXPECT_NE(listed.out.find("uninst\\uninstall.exe"), std::string::npos) << listed.out;
  EXPECT_EQ(run({"--add-missing", "noequals", src().string(), output().string()}).code, mkfileset_usage);
}

TEST_F(PackerTest, RefusesFilesAndContainersBeyond2GiB) {
  // Sparse files: nothing of them is read before the refusal.
  fs::create_directories(src());
  std::ofstream(src() / "huge.bin").close();
  fs::resize_file(src() / "huge.bin", std::uintmax_t{1} << 31);
  expect_refused("huge.bin");

  fs::resize_file(src() / "huge.bin", (std::uintmax_t{1} << 30) + (std::uintmax_t{1} << 29));
  std::ofstream(src() / "huge2.bin").close();
  fs::resize_file(src() / "huge2.bin", std::uintmax_t{1} << 30);
  expect_refused("exceed 2 GiB");
  const Cli checked = run({"--check", src().string()});
  EXPECT_EQ(checked.code, 1);
  EXPECT_NE(checked.err.find("huge2.bin': with this file the file data would exceed 2 GiB"), std::string::npos)
      << checked.err;
}

TEST_F(PackerTest, RefusesWhatIsNeitherAFileNorAFolder) {
  fs::create_directories(src() / "real");
  ASSERT_EQ(::mkfifo((src() / "pipe").c_str(), 0600), 0);
  expect_refused("pipe");
}

TEST_F(PackerTest, RefusesAMissingOrNonFolderRoot) {
  expect_refused("does not exist");
  write_file(src(), "a file");
  expect_refused("is not a folder");
}

TEST_F(PackerTest, RefusesAFileThatChangesOrVanishesAfterTheScan) {
  write_file(src() / "a.txt", "hello");
  write_file(src() / "b.txt", "world");
  Tdigest checksum(seed_a);

  TreeScan scan = scan_tree(src());
  ASSERT_TRUE(scan.ok());
  write_file(src() / "b.txt", "wor");
  PackOutcome outcome = pack_tree(scan, output(), checksum);
  EXPECT_FALSE(outcome.ok());
  EXPECT_NE(outcome.error.find("b.txt"), std::string::npos) << outcome.error;

  write_file(src() / "b.txt", "world!");
  EXPECT_FALSE(pack_tree(scan, output(), checksum).ok());

  fs::remove(src() / "b.txt");
  outcome = pack_tree(scan, output(), checksum);
  EXPECT_FALSE(outcome.ok());
  EXPECT_NE(outcome.error.find("cannot open"), std::string::npos) << outcome.error;
  EXPECT_FALSE(fs::exists(output()));
  EXPECT_FALSE(fs::exists(sums_path_for(output())));
}

TEST_F(PackerTest, RefusesAFileWithoutReadPermission) {
  write_file(src() / "a.txt", "hello");
  write_file(src() / "b.txt", "world");
  fs::permissions(src() / "b.txt", fs::perms::none);
  const WithoutReadOverride as_a_user;
  if (std::ifstream(src() / "b.txt")) GTEST_SKIP() << "this process reads files whatever their mode";
  expect_refused("b.txt");
}

TEST_F(PackerTest, RefusesAFileWhoseReadFails) {
  // The kernel shows a process's memory as an empty regular file whose first
  // read fails: the end-of-file probe must not take that failure for the end.
  // The scan refuses a link to it, which leads outside; the entry is made here.
  const fs::path memory = "/proc/self/mem";
  if (!fs::is_regular_file(memory)) GTEST_SKIP() << "no " << memory;
  TreeScan scan;
  scan.entries.push_back({"memory", memory, false, 0});
  Tdigest checksum(seed_a);
  const PackOutcome outcome = pack_tree(scan, output(), checksum);
  EXPECT_FALSE(outcome.ok());
  EXPECT_NE(outcome.error.find("cannot read"), std::string::npos) << outcome.error;
  EXPECT_FALSE(fs::exists(output()));
}

TEST_F(PackerTest, RefusesAnOutputInsideTheFolder) {
  make_worked_example(src());
  fs::create_directory_symlink(src(), tmp_.path() / "alias");
  Tdigest checksum(seed_a);
  for (const fs::path& inside : {src() / "out.bin", src() / "data" / "out.bin", src() / "data" / ".." / "out.bin",
                                 tmp_.path() / "alias" / "out.bin", src()}) {
    const PackOutcome outcome = pack_directory(src(), inside, checksum);
    EXPECT_FALSE(outcome.ok()) << inside;
    EXPECT_NE(outcome.error.find("inside the folder"), std::string::npos) << outcome.error;
  }
  EXPECT_FALSE(fs::exists(src() / "out.bin"));
  // Relative names, none of whose parts exists yet.
  const fs::path cwd = fs::current_path();
  fs::current_path(src());
  EXPECT_FALSE(pack_directory(".", "out.bin", checksum).ok());
  EXPECT_FALSE(pack_directory(".", "new/out.bin", checksum).ok());
  fs::current_path(cwd);
  // Beside the folder is fine, also under a name that begins like it.
  EXPECT_TRUE(pack_directory(src(), tmp_.path() / "src.bin", checksum).ok());
}

TEST_F(PackerTest, RefusalLeavesAnExistingOutputAlone) {
  write_file(output(), "previous");
  write_file(src() / "Case", "1");
  write_file(src() / "case", "2");
  Tdigest checksum(seed_a);
  EXPECT_FALSE(pack_directory(src(), output(), checksum).ok());
  std::ifstream in(output());
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "previous");
}

TEST_F(PackerTest, UnwritableOutputIsReported) {
  make_worked_example(src());
  Tdigest checksum(seed_a);
  const PackOutcome outcome = pack_directory(src(), tmp_.path() / "no" / "such" / "out.bin", checksum);
  EXPECT_FALSE(outcome.ok());
  EXPECT_NE(outcome.error.find("out.bin"), std::string::npos);
}

TEST_F(PackerTest, CliExitCodes) {
  make_worked_example(src());
  const std::string out = output().string();

  EXPECT_EQ(run({src().string(), out}).code, 0);  // built-in seed
  EXPECT_EQ(run({"--check", src().string()}).out,
            "mkfileset: " + src().string() + " can be packed (3 entries, 8 bytes of file data)\n");
  Cli cli = run({"--list", out});
  EXPECT_EQ(cli.code, 0);
  EXPECT_NE(cli.out.find("checksums of every byte match"), std::string::npos) << cli.out;

  // One byte of a file changed, the checksums beside it kept: caught even
  // where the keyed digest does not read.
  auto changed = read_file(output());
  changed.back() ^= 0x01;
  const fs::path damaged = tmp_.path() / "damaged.bin";
  std::ofstream(damaged, std::ios::binary).write(reinterpret_cast<const char*>(changed.data()),
                                                  static_cast<std::streamsize>(changed.size()));
  fs::copy_file(out + ".sums", damaged.string() + ".sums");
  cli = run({"--list", damaged.string()});
  EXPECT_EQ(cli.code, 1);
  EXPECT_NE(cli.out.find("checksums do not match: a file's contents differ (entry 2)"), std::string::npos) << cli.out;

  cli = run({"--seed", seed_b, "--list", out});
  EXPECT_EQ(cli.code, 1);
  EXPECT_NE(cli.out.find("does not match"), std::string::npos) << cli.out;

  auto bytes = read_file(output());
  bytes.pop_back();
  const fs::path cut = tmp_.path() / "cut.bin";
  std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  cli = run({"--list", cut.string()});
  EXPECT_EQ(cli.code, 1);
  EXPECT_NE(cli.out.find("damaged"), std::string::npos) << cli.out;

  EXPECT_EQ(run({"--list", (tmp_.path() / "missing.bin").string()}).code, 1);
  write_file(src() / "A.TXT", "clash");
  cli = run({src().string(), out});
  EXPECT_EQ(cli.code, 1);
  EXPECT_NE(cli.err.find("A.TXT"), std::string::npos) << cli.err;
}

TEST(MkfilesetListing, ControlCharactersInNamesAreEscaped) {
  Tdigest checksum(seed_a);
  const FilesetBuild build = build_fileset({FilesetEntry::file("a\x1B]0;title\x07" "b", "1")}, checksum);
  ASSERT_TRUE(build.ok());
  std::ostringstream out;
  EXPECT_EQ(list_fileset(build.bytes, checksum, out), ListResult::matches);
  EXPECT_NE(out.str().find("a\\x1B]0;title\\x07b"), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find('\x1B'), std::string::npos);
  EXPECT_EQ(out.str().find('\x07'), std::string::npos);
}

TEST(MkfilesetCli, RejectsBadUsage) {
  const std::string lower(64, 'a');
  EXPECT_EQ(run({"--seed", lower, "dir", "out"}).code, 2);
  EXPECT_EQ(run({"--seed", std::string(63, 'A'), "dir", "out"}).code, 2);
  EXPECT_EQ(run({"--seed", std::string(65, 'A'), "dir", "out"}).code, 2);
  EXPECT_EQ(run({"--seed", std::string(63, 'A') + "G", "dir", "out"}).code, 2);
  EXPECT_EQ(run({"dir", "out", "--seed"}).code, 2);
  EXPECT_EQ(run({"dir"}).code, 2);
  EXPECT_EQ(run({"a", "b", "c"}).code, 2);
  EXPECT_EQ(run({"--list"}).code, 2);
  EXPECT_EQ(run({"--check", "dir", "out"}).code, 2);
  EXPECT_EQ(run({"--fast", "dir", "out"}).code, 2);
  EXPECT_TRUE(is_valid_seed(seed_a));
}
