// The names mkfileset packs and those it refuses, each with its reason.
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

TEST_F(PackerTest, NamesAreStoredInWindows1252AndListedAsUtf8) {
  write_file(src() / "Grüße" / "Übersicht €.txt", "x");
  Tdigest checksum(seed_a);
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
  Tdigest checksum(seed_a);
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
  Tdigest checksum(seed_a);
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
  Tdigest checksum(seed_a);
  EXPECT_TRUE(pack_directory(src(), output(), checksum).ok());
}
