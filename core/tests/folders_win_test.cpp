#include "core/folders.h"

#include <gtest/gtest.h>

#include "core/journal.h"
#include "tests/support/win_fs.h"

TEST(ForceDirsJournaled, CreatesMissingParentsOutermostFirst) {
  TempDir tmp;
  Tstring_writer journal;
  const std::string a = tmp / "a";
  ASSERT_TRUE(make_dir(a));
  EXPECT_TRUE(force_dirs_journaled(a + "\\b\\c", journal));
  EXPECT_TRUE(folder_exists(a + "\\b\\c"));
  EXPECT_EQ(read_records(journal),
            (std::vector<std::string>{"DIR:" + a + "\\b", "DIR:" + a + "\\b\\c"}));
}

TEST(ForceDirs, ExistingFolderGivesFalseAndNothingJournaled) {
  TempDir tmp;
  Tstring_writer journal;
  EXPECT_FALSE(force_dirs(tmp.path()));
  EXPECT_FALSE(force_dirs_journaled(tmp.path(), journal));
  EXPECT_FALSE(make_dir_journaled(tmp.path(), journal));
  EXPECT_EQ(journal.length(), 0);
}

TEST(ForceDirs, GivesUpBelowAnUncreatableParent) {
  TempDir tmp;
  Tstring_writer journal;
  // A file where a parent folder should be: nothing can be created below it.
  ASSERT_TRUE(write_file(tmp / "file", "x"));
  EXPECT_FALSE(force_dirs_journaled(tmp / "file\\sub\\deeper", journal));
  EXPECT_EQ(journal.length(), 0);
  // A drive that does not exist: the climb ends at the empty parent of W:\new.
  EXPECT_FALSE(force_dirs("W:\\setup-test-new"));
}

TEST(ForceDirs, WithoutJournalCreatesAllLevels) {
  TempDir tmp;
  EXPECT_TRUE(force_dirs(tmp / "x\\y\\z"));
  EXPECT_TRUE(folder_exists(tmp / "x\\y\\z"));
}

TEST(ForceDirs, TrailingSeparatorIsCreatedAsGiven) {
  TempDir tmp;
  Tstring_writer journal;
  EXPECT_TRUE(force_dirs_journaled(tmp / "game\\", journal));
  EXPECT_TRUE(folder_exists(tmp / "game"));
  EXPECT_EQ(read_records(journal), std::vector<std::string>{"DIR:" + tmp.path() + "\\game\\"});
}

TEST(ForceDirs, RefusesPathsThatWouldBeCutOrJournaledCut) {
  TempDir tmp;
  Tstring_writer journal;
  // Long enough that the record "DIR:" + path exceeds 255, but the path does not.
  std::string deep = tmp.path();
  while (deep.size() < 260) deep += "\\abcdefgh";
  deep.resize(252);
  if (deep.back() == '\\') deep.back() = 'x';
  ASSERT_LE(deep.size(), 255u);
  EXPECT_FALSE(force_dirs_journaled(deep, journal));
  EXPECT_EQ(journal.length(), 0) << "nothing made for a folder that cannot be journaled";
  EXPECT_FALSE(folder_exists(tmp / "abcdefgh")) << "no parent was made either";

  // Without a journal the 252-character path is fine, a 256-character one is refused.
  EXPECT_TRUE(force_dirs(deep));
  std::string too_long = deep + "\\abc";
  EXPECT_FALSE(make_dir(too_long));
  EXPECT_FALSE(force_dirs(too_long));
  EXPECT_FALSE(folder_exists(too_long.substr(0, 255)));
}

TEST(MakeDir, OneLevelOnly) {
  TempDir tmp;
  Tstring_writer journal;
  EXPECT_FALSE(make_dir_journaled(tmp / "p\\q", journal));
  EXPECT_TRUE(make_dir_journaled(tmp / "p", journal));
  EXPECT_EQ(read_records(journal), std::vector<std::string>{"DIR:" + tmp.path() + "\\p"});
}
