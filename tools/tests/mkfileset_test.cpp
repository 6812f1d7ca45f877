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

namespace fs = std::filesystem;

namespace {

constexpr const char* seed_a = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";
constexpr const char* seed_b = "7E1F0C93A25BD4866F0E3B19C2D7A548E90B1F2C3D4E5F60718293A4B5C6D7E8";

std::string vectors_path() {
#ifdef SETUP_TEST_VECTORS
  return SETUP_TEST_VECTORS;
#else
  // A host program: the vectors lie beside the sources.
  return (fs::path(__FILE__).parent_path() / "../../tests/vectors/digest.txt").string();
#endif
}

// The tests' own scratch folder.
class TempDir : public HostTempDir {
 public:
  TempDir() : HostTempDir("mkfileset_test") {}
};

void write_file(const fs::path& path, const std::string& contents) { write_host_file(path, contents); }

std::vector<std::uint8_t> read_file(const fs::path& path) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  read_whole_file(path, bytes, error);
  return bytes;
}

// The tree the container vectors were computed for.
void make_worked_example(const fs::path& root) {
  fs::create_directories(root / "data");
  write_file(root / "a.txt", "hello");
  write_file(root / "data" / "b.bin", "xyz");
}

std::vector<std::string> scanned_names(const TreeScan& scan) {
  std::vector<std::string> names;
  for (const auto& e : scan.entries) names.push_back(e.name);
  return names;
}

using Cli = CliResult;

Cli run(const std::vector<std::string>& args) { return run_cli(run_mkfileset, args); }

// Takes from this thread the capabilities that let root read and search
// whatever the permissions say, and gives them back at the end, so a file
// without read permission is unreadable here too. Does nothing where the
// thread holds no such capabilities.
class WithoutReadOverride {
 public:
  WithoutReadOverride() {
    if (::syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
  }
  ~WithoutReadOverride() {
    if (active_) ::syscall(SYS_capset, &header_, saved_);
  }
  WithoutReadOverride(const WithoutReadOverride&) = delete;
  WithoutReadOverride& operator=(const WithoutReadOverride&) = delete;

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2] = {};
  bool active_ = false;
};

class PackerTest : public ::testing::Test {
 protected:
  fs::path src() const { return tmp_.path() / "src"; }
  fs::path output() const { return tmp_.path() / "out.bin"; }

  // Packing must fail, name the culprit and leave no output and no temporary file.
  void expect_refused(const std::string& culprit) {
    Tchecksum checksum(seed_a);
    const PackOutcome outcome = pack_directory(src(), output(), checksum);
    EXPECT_FALSE(outcome.ok());
    EXPECT_NE(outcome.error.find(culprit), std::string::npos) << outcome.error;
    EXPECT_FALSE(fs::exists(output()));
    for (const auto& e : fs::directory_iterator(tmp_.path()))
      EXPECT_EQ(e.path().filename(), "src") << "left behind: " << e.path();
  }

  TempDir tmp_;
};

}  // namespace

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

  Tchecksum checksum(seed_b);
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

TEST_F(PackerTest, NamesAreStoredInWindows1252AndListedAsUtf8) {
  write_file(src() / "Grüße" / "Übersicht €.txt", "x");
  Tchecksum checksum(seed_a);
  ASSERT_TRUE(pack_directory(src(), output(), checksum).ok());

  const auto bytes = read_file(output());
  const auto view = FilesetView::open(bytes.data(), bytes.size());
  ASSERT_TRUE(view);
  std::vector<std::string> names;
  for_each_entry(*view, [&](const Tpayload_entry& e) {
    names.push_back(e.name);
    return true;
  });
  EXPECT_EQ(names, (std::vector<std::string>{"Gr\xFC\xDF" "e", "Gr\xFC\xDF" "e\\\xDC" "bersicht \x80.txt"}));

  const Cli cli = run({"--seed", seed_a, "--list", output().string()});
  EXPECT_EQ(cli.code, 0);
  EXPECT_NE(cli.out.find("Grüße\\Übersicht €.txt"), std::string::npos) << cli.out;
}

TEST_F(PackerTest, SymbolicLinksInsideArePackedAndThoseLeadingOutAreRefused) {
  write_file(tmp_.path() / "outside.txt", "secret");
  fs::create_directories(tmp_.path() / "outside_folder");
  write_file(src() / "real" / "target.txt", "target");
  fs::create_symlink(src() / "real" / "target.txt", src() / "file_link.txt");
  fs::create_directory_symlink("real", src() / "folder_link");

  const TreeScan scan = scan_tree(src());
  ASSERT_TRUE(scan.ok()) << scan.error;
  const std::vector<std::string> expected = {"folder_link", "real", "file_link.txt", "folder_link\\target.txt",
                                             "real\\target.txt"};
  EXPECT_EQ(scanned_names(scan), expected);
  Tchecksum checksum(seed_a);
  ASSERT_TRUE(pack_tree(scan, output(), checksum).ok());
  const auto bytes = read_file(output());
  EXPECT_EQ(std::string(bytes.end() - 18, bytes.end()), "targettargettarget");
  fs::remove(output());
  fs::remove(output().string() + ".sums");

  // Every link that leads out, or round in a circle, is named at once.
  fs::create_symlink(tmp_.path() / "outside.txt", src() / "out_file.txt");
  fs::create_symlink("../../outside.txt", src() / "real" / "out_relative.txt");
  fs::create_directory_symlink(tmp_.path() / "outside_folder", src() / "out_folder");
  fs::create_directory_symlink(src(), src() / "real" / "to_root");
  fs::create_directory_symlink("..", src() / "real" / "to_parent");
  fs::create_symlink(src() / "self", src() / "self");
  fs::create_symlink(src() / "missing", src() / "dangling");
  const Cli cli = run({src().string(), output().string()});
  EXPECT_EQ(cli.code, 1);
  for (const char* refused : {"out_file.txt': a symbolic link that leads outside the folder being packed",
                              "out_relative.txt': a symbolic link that leads outside",
                              "out_folder': a symbolic link that leads outside",
                              "to_root': a symbolic link to a folder that holds it",
                              "to_parent': a symbolic link to a folder that holds it",
                              "self': a symbolic link that leads nowhere or into a loop",
                              "dangling': a symbolic link that leads nowhere"}) {
    EXPECT_NE(cli.err.find(refused), std::string::npos) << refused << '\n' << cli.err;
  }
  EXPECT_EQ(cli.err.find("secret"), std::string::npos);
  EXPECT_FALSE(fs::exists(output()));
}

TEST_F(PackerTest, RefusesEveryNameWindowsCannotHoldEachWithItsReason) {
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"日本.txt", "has a name that cannot be written in Windows-1252"},
      {"\xFF.txt", "has a name that cannot be written in Windows-1252"},  // not UTF-8
      {"a\\b", "holds a backslash"},
      {"con.txt", "uses a device name such as CON"},
      {"LPT1", "uses a device name"},
      {"trailing.", "has a name ending in a dot or a blank"},
      {"blank ", "has a name ending in a dot or a blank"},
      {"a:stream", "holds \":\", which Windows does not allow"},
      {"ask?.txt", "holds \"?\""},
      {"tab\there", "holds the control character U+0009"},
  };
  write_file(src() / "fine.txt", "ok");
  for (const auto& [name, reason] : bad) write_file(src() / "sub" / name, "x");
  fs::create_directories(src() / "aux" / "inner?");  // a bad folder, and a bad name inside it

  const Cli cli = run({src().string(), output().string()});
  EXPECT_EQ(cli.code, 1);
  for (const auto& [name, reason] : bad) {
    const std::string line = "mkfileset: '" + (src() / "sub" / name).string() + "': ";
    const auto at = cli.err.find(line);
    ASSERT_NE(at, std::string::npos) << name << '\n' << cli.err;
    EXPECT_EQ(cli.err.compare(at + line.size(), reason.size(), reason), 0) << name << '\n' << cli.err;
  }
  EXPECT_NE(cli.err.find("aux': uses a device name"), std::string::npos) << cli.err;
  EXPECT_NE(cli.err.find("inner?': holds \"?\""), std::string::npos) << cli.err;
  EXPECT_EQ(cli.err.find("fine.txt"), std::string::npos) << cli.err;
  EXPECT_NE(cli.err.find("nothing was written"), std::string::npos) << cli.err;
  EXPECT_FALSE(fs::exists(output()));

  // The check a build runs first reports the same, and writes nothing either.
  const Cli checked = run({"--check", src().string()});
  EXPECT_EQ(checked.code, 1);
  EXPECT_EQ(checked.err + "mkfileset: nothing was written\n", cli.err);
}

TEST_F(PackerTest, RefusesNamesLongerThan255Bytes) {
  const std::string part(120, 'p');
  write_file(src() / part / part / "0123456789abcd", "x");  // 120 + 1 + 120 + 1 + 14 = 256
  expect_refused("longer than 255");
  fs::remove_all(src());
  write_file(src() / part / part / "0123456789abc", "x");
  Tchecksum checksum(seed_a);
  EXPECT_TRUE(pack_directory(src(), output(), checksum).ok());
}

TEST_F(PackerTest, RefusesNamesThatDifferOnlyInLetterCase) {
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"Readme.TXT", "readme.txt"}, {"Ärger.txt", "ärger.txt"}, {"Šum", "šum"}, {"ÿ", "Ÿ"}};
  for (const auto& [first, second] : pairs) {
    fs::remove_all(src());
    write_file(src() / first, "1");
    write_file(src() / second, "2");
    SCOPED_TRACE(first);
    expect_refused("letter case");
  }
  // A folder and a file collide as well.
  fs::remove_all(src());
  fs::create_directories(src() / "Data");
  write_file(src() / "data", "");
  expect_refused("letter case");

  // Letters without a case pair in Windows-1252 stay distinct.
  fs::remove_all(src());
  write_file(src() / "\u00D7", "times");
  write_file(src() / "\u00F7", "divide");
  write_file(src() / "ß", "sharp s");
  write_file(src() / "SS", "two s");
  Tchecksum checksum(seed_a);
  EXPECT_TRUE(pack_directory(src(), output(), checksum).ok());
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
  Tchecksum checksum(seed_a);

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
  Tchecksum checksum(seed_a);
  const PackOutcome outcome = pack_tree(scan, output(), checksum);
  EXPECT_FALSE(outcome.ok());
  EXPECT_NE(outcome.error.find("cannot read"), std::string::npos) << outcome.error;
  EXPECT_FALSE(fs::exists(output()));
}

TEST_F(PackerTest, RefusesAnOutputInsideTheFolder) {
  make_worked_example(src());
  fs::create_directory_symlink(src(), tmp_.path() / "alias");
  Tchecksum checksum(seed_a);
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
  Tchecksum checksum(seed_a);
  EXPECT_FALSE(pack_directory(src(), output(), checksum).ok());
  std::ifstream in(output());
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "previous");
}

TEST_F(PackerTest, UnwritableOutputIsReported) {
  make_worked_example(src());
  Tchecksum checksum(seed_a);
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
  Tchecksum checksum(seed_a);
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
