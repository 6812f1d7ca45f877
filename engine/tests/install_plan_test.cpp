#include "engine/install_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/journal_file.h"
#include "payload/digest.h"
#include "payload/fileset_writer.h"

namespace {

using Entries = std::vector<FilesetEntry>;
using Bytes = std::vector<std::uint8_t>;

FilesetEntry file(std::string name) { return FilesetEntry::file(std::move(name), "x"); }
FilesetEntry folder(std::string name) { return FilesetEntry::folder(std::move(name)); }

Bytes container(const Entries& entries) {
  Tdigest checksum(code_seed);
  FilesetBuild build = build_fileset(entries, checksum);
  EXPECT_TRUE(build.ok()) << build.error;
  return build.bytes;
}

PlanProblem plan_of(const Bytes& bytes) {
  const auto view = FilesetView::open(bytes.data(), bytes.size());
  if (!view) {
    ADD_FAILURE() << "the container does not open";
    return {};
  }
  return InstallPlan(*view).problem();
}

void put_int32(Bytes& bytes, std::size_t at, std::int32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
}

struct HostileCase {
  const char* what;
  Entries entries;
  PlanFault fault;
  std::int32_t entry;
};

}  // namespace

TEST(InstallPlan, RefusesEveryContainerAnEntryOfWhichWouldNotInstall) {
  const std::vector<HostileCase> cases = {
      {"climbs out", {file("ok.txt"), file("..\\x")}, PlanFault::bad_name, 1},
      {"climbs out below a folder", {file("a\\..\\..\\x")}, PlanFault::bad_name, 0},
      {"a drive", {file("C:\\x")}, PlanFault::bad_name, 0},
      {"a drive-relative name", {file("C:x")}, PlanFault::bad_name, 0},
      {"rooted", {file("\\x")}, PlanFault::bad_name, 0},
      {"a network path", {file("\\\\server\\share\\x")}, PlanFault::bad_name, 0},
      {"a stream", {file("x:ads")}, PlanFault::bad_name, 0},
      {"a device", {file("nul.txt")}, PlanFault::bad_name, 0},
      {"a device in a folder", {folder("data"), file("data\\COM1")}, PlanFault::bad_name, 1},
      {"a device as folder", {folder("aux")}, PlanFault::bad_name, 0},
      {"empty", {file("")}, PlanFault::bad_name, 0},
      {"an empty segment", {file("a\\\\b")}, PlanFault::bad_name, 0},
      {"a trailing separator", {folder("a\\")}, PlanFault::bad_name, 0},
      {"a forward slash", {file("a/b")}, PlanFault::bad_name, 0},
      {"a forbidden character", {file("what?.txt")}, PlanFault::bad_name, 0},
      {"a control character", {file("tab\t.txt")}, PlanFault::bad_name, 0},
      {"a trailing dot", {file("readme.")}, PlanFault::bad_name, 0},
      {"a trailing blank", {folder("data ")}, PlanFault::bad_name, 0},
      {"a file name longer than any folder allows", {file(std::string(248, 'n'))}, PlanFault::name_too_long, 0},
      {"a folder name longer than any folder allows", {folder(std::string(249, 'n'))}, PlanFault::name_too_long, 0},
      {"the same file twice", {file("a.txt"), file("b.txt"), file("a.txt")}, PlanFault::duplicate, 2},
      {"names that differ in letter case", {file("Readme.TXT"), file("readme.txt")}, PlanFault::duplicate, 1},
      {"Windows-1252 letters that differ in case", {file("\xC4rger"), file("\xE4rger")}, PlanFault::duplicate, 1},
      {"\xFF and \x9F", {file("\xFF"), file("\x9F")}, PlanFault::duplicate, 1},
      {"the same folder twice", {folder("d"), folder("D")}, PlanFault::duplicate, 1},
      {"a folder, then a file of its path", {folder("a"), file("A")}, PlanFault::file_and_folder, 1},
      {"a file, then a folder of its path", {file("a"), folder("a")}, PlanFault::file_and_folder, 1},
      {"a file where an earlier file needs a folder", {file("a\\b"), file("a")}, PlanFault::file_and_folder, 1},
      {"a file inside a file", {file("a"), file("a\\b")}, PlanFault::inside_a_file, 1},
      {"a folder inside a file", {file("data"), folder("DATA\\sub")}, PlanFault::inside_a_file, 1},
      {"deep inside a file", {file("a\\b"), file("a\\b\\c\\d")}, PlanFault::inside_a_file, 1},
  };
  for (const HostileCase& c : cases) {
    const PlanProblem problem = plan_of(container(c.entries));
    EXPECT_EQ(problem.fault, c.fault) << c.what;
    EXPECT_EQ(problem.entry, c.entry) << c.what;
  }
}

TEST(InstallPlan, AcceptsWhatInstallsWhole) {
  const Bytes bytes = container({
      folder("data"),
      file("data\\levels\\one.dat"),   // its folder "levels" is implied
      folder("data\\levels"),          // and may still be listed after it
      folder("Empty"),
      FilesetEntry::file("empty.txt", ""),
      file("\xDF.txt"),                // sharp s has no capital: distinct from "SS.txt"
      file("SS.txt"),
      file("\xD7"), file("\xF7"),      // times and divide are no case pair
      FilesetEntry::passed_over("..\\nothing is made for it", -5),
      file(std::string(247, 'n')),     // "FILE:" + "C:\" + 247 = 255
      folder(std::string(248, 'f')),
  });
  const auto view = FilesetView::open(bytes.data(), bytes.size());
  ASSERT_TRUE(view);
  const InstallPlan plan(*view);
  EXPECT_TRUE(plan.ok()) << int(plan.problem().fault) << " at entry " << plan.problem().entry;

  // Every path below the folder and its record must fit: the longest file
  // name is 247, the longest folder name 248.
  EXPECT_TRUE(plan.fits_below("C:\\"));
  EXPECT_FALSE(plan.fits_below("D:\\x\\"));
  const Bytes small = container({file("a\\bb.txt"), folder("cccccccccc")});
  const InstallPlan small_plan(*FilesetView::open(small.data(), small.size()));
  const std::string folder_of_240(240, 'p');
  EXPECT_TRUE(small_plan.fits_below(folder_of_240));       // FILE: + 240 + 8 = 253, DIR: + 240 + 10 = 254
  EXPECT_FALSE(small_plan.fits_below(folder_of_240 + "pp"));  // DIR: + 242 + 10 = 256
}

TEST(InstallPlan, RefusesSizesAndNamesThatDoNotMatchTheHeader) {
  const Bytes good = container({folder("d"), FilesetEntry::file("d\\a", "hello"), FilesetEntry::file("b", "xyz")});
  ASSERT_TRUE(plan_of(good).ok());
  const std::size_t names_at = 28 + 3 * 4;

  // Two bytes of data that no file owns.
  Bytes spare = good;
  put_int32(spare, 28 + 8, 1);  // "b" holds 1 byte instead of 3
  EXPECT_EQ(plan_of(spare).fault, PlanFault::sizes_do_not_add_up);

  // The last name runs past the names block.
  Bytes cut = good;
  cut[names_at + 2 + 4] = 9;  // "b" claims 9 characters
  EXPECT_EQ(plan_of(cut).fault, PlanFault::names_damaged);

  // A names block longer than its names: the spare byte is taken from the data
  // and the data block is one shorter, so nothing else changes.
  Bytes longer = good;
  put_int32(longer, 4, 9);
  put_int32(longer, 8, 7);
  put_int32(longer, 28 + 4, 4);  // "d\a" holds "ello", its "h" is now in the names block
  EXPECT_EQ(plan_of(longer).fault, PlanFault::names_damaged);
}

TEST(InstallPlan, KeepsTheJournalFilesPlaceFree) {
  EXPECT_EQ(journal_file_relative_path("\\uninst\\uninstall.exe"), "uninst\\log_inst.dat");
  EXPECT_EQ(journal_file_relative_path("tools\\un\\u.exe"), "tools\\un\\log_inst.dat");
  EXPECT_EQ(journal_file_relative_path("\\uninstall.exe"), "log_inst.dat");

  const std::string journal = journal_file_relative_path("\\uninst\\uninstall.exe");
  const struct {
    const char* what;
    Entries entries;
    bool free;
  } cases[] = {
      {"a product with its uninstaller", {folder("uninst"), file("uninst\\uninstall.exe")}, true},
      {"an entry named like the journal file", {file("uninst\\uninstall.exe"), file("uninst\\log_inst.dat")}, false},
      {"the same in other letter case", {file("UNINST\\Log_Inst.DAT")}, false},
      {"a folder in its place", {folder("uninst\\log_inst.dat")}, false},
      {"a file where its folder must be", {file("uninst")}, false},
      {"the name in another folder", {file("log_inst.dat"), file("data\\log_inst.dat")}, true},
  };
  for (const auto& c : cases) {
    const Bytes bytes = container(c.entries);
    const InstallPlan plan(*FilesetView::open(bytes.data(), bytes.size()));
    ASSERT_TRUE(plan.ok()) << c.what;
    EXPECT_EQ(plan.check_own_file(journal).ok(), c.free) << c.what;
  }
  // A journal path that is no plain relative name is no place to write.
  const Bytes empty = container({});
  const InstallPlan plan(*FilesetView::open(empty.data(), empty.size()));
  EXPECT_TRUE(plan.check_own_file("log_inst.dat").ok());
  EXPECT_FALSE(plan.check_own_file("..\\log_inst.dat").ok());
}
