#include "core/paths.h"

#include <gtest/gtest.h>

TEST(ParentDir, DropsTheLastSegment) {
  EXPECT_EQ(parent_dir("C:\\a\\b"), "C:\\a");
  EXPECT_EQ(parent_dir("C:\\a\\b\\c.txt"), "C:\\a\\b");
  // A trailing separator is the last "\": the parent of C:\a\ is C:\a.
  EXPECT_EQ(parent_dir("C:\\a\\"), "C:\\a");
}

TEST(ParentDir, IsEmptyWithFewerThanTwoSeparators) {
  EXPECT_EQ(parent_dir("C:\\folder"), "");
  EXPECT_EQ(parent_dir("C:\\"), "");
  EXPECT_EQ(parent_dir("name"), "");
  EXPECT_EQ(parent_dir(""), "");
  EXPECT_EQ(parent_dir("\\x"), "");
  // Only backslashes separate.
  EXPECT_EQ(parent_dir("C:/a/b"), "");
}

TEST(JoinPath, PutsExactlyOneSeparatorBetween) {
  EXPECT_EQ(join_path("C:\\x", "y"), "C:\\x\\y");
  EXPECT_EQ(join_path("C:\\x\\", "\\y"), "C:\\x\\y");
  EXPECT_EQ(join_path("C:\\x\\", "y"), "C:\\x\\y");
  EXPECT_EQ(join_path("C:\\x", "\\y"), "C:\\x\\y");
}

TEST(JoinPath, EdgeCases) {
  EXPECT_EQ(join_path("", "y"), "\\y");
  EXPECT_EQ(join_path("", ""), "");
  // The trailing separator is dropped and none is added for an empty b.
  EXPECT_EQ(join_path("C:\\x\\", ""), "C:\\x");
  // Only one of two trailing separators goes.
  EXPECT_EQ(join_path("C:\\x\\\\", "y"), "C:\\x\\\\y");
  // Joining "\" gives exactly one trailing separator: how the installation
  // folder is made to end in one.
  EXPECT_EQ(join_path("C:\\x", "\\"), "C:\\x\\");
  EXPECT_EQ(join_path("C:\\x\\", "\\"), "C:\\x\\");
  // "/" is no separator for the plain join.
  EXPECT_EQ(join_path("C:/x/", "y"), "C:/x/\\y");
  EXPECT_EQ(join_path("C:\\x", "/y"), "C:\\x\\/y");
}

TEST(JoinPath, ThreeParts) {
  EXPECT_EQ(join_path3("C:\\Program Files", "Quasarine_II", "\\"), "C:\\Program Files\\Quasarine_II\\");
  EXPECT_EQ(join_path3("C:\\a\\", "\\b\\", "c"), "C:\\a\\b\\c");
  EXPECT_EQ(join_path3("C:\\a", "", "c"), "C:\\a\\c");
}

TEST(JoinPathAny, AcceptsSlashesButInsertsBackslash) {
  EXPECT_EQ(join_path_any("C:/x/", "y"), "C:/x\\y");
  EXPECT_EQ(join_path_any("C:\\x", "/y"), "C:\\x/y");
  EXPECT_EQ(join_path_any("C:\\x\\", "y"), "C:\\x\\y");
  EXPECT_EQ(join_path_any("", "y"), "\\y");
  EXPECT_EQ(join_path_any("a//", "b"), "a/\\b");
  EXPECT_EQ(join_path3_any("Start\\", "Games/", "Quasarine_II"), "Start\\Games\\Quasarine_II");
  EXPECT_EQ(join_path3_any("Start\\", "", "Quasarine_II"), "Start\\Quasarine_II");
}

TEST(PathText, SeparatorConversionsAndStripping) {
  std::string s = "Start\\\\Games\\x";
  to_forward_slashes(s);
  EXPECT_EQ(s, "Start//Games/x");
  to_backslashes(s);
  EXPECT_EQ(s, "Start\\\\Games\\x");

  std::string p = "C:\\a\\\\";
  strip_trailing_backslash(p);
  EXPECT_EQ(p, "C:\\a\\");
  strip_trailing_backslash(p);
  EXPECT_EQ(p, "C:\\a");
  strip_trailing_backslash(p);
  EXPECT_EQ(p, "C:\\a");
  std::string root = "\\";
  strip_trailing_backslash(root);
  EXPECT_EQ(root, "");
}

TEST(ContainedName, AcceptsOrdinaryRelativeNames) {
  for (const char* name : {"a.txt", "data\\b.bin", "data/levels/l1.dat", "M\xFCller\\gr\xFC\xDF" "e.txt",
                           "cone.d", "console", "COM0", "LPT10", ".hidden", "a..b", "x\\..y"}) {
    EXPECT_TRUE(is_contained_name(name)) << name;
  }
}

TEST(ContainedName, RefusesNamesThatCouldLeaveTheFolder) {
  for (const char* name : {"", "\\abs", "/abs", "\\\\server\\share\\x", "C:\\x", "C:x", "a\\..\\..\\x",
                           "..", "..\\x", "x\\..", "a/../b", ".", "a\\.\\b", "a\\\\b", "a\\",
                           "...\\x", "a. \\x", "dir.\\x", "x:stream"}) {
    EXPECT_FALSE(is_contained_name(name)) << name;
  }
}

TEST(ContainedName, RefusesDeviceNamesAndInvalidCharacters) {
  for (const char* name : {"CON", "con", "nul.txt", "data\\aux", "COM1", "lpt9.dat", "PRN", "nul .txt",
                           "data\\con  .log", "com1 .dat", "COM\xB9.dat", "lpt\xB3", "CONIN$", "conout$.x",
                           "a*b", "a?b", "a<b", "a>b", "a|b", "a\"b", "a\tb"}) {
    EXPECT_FALSE(is_contained_name(name)) << name;
  }
}

TEST(IsSameOrBelow, ComparesWholeSegmentsIgnoringCaseAndATrailingBackslash) {
  struct Case {
    const char* path;
    const char* folder;
    bool expected;
  };
  const Case cases[] = {
      {"C:\\Windows", "C:\\windows", true},          {"c:\\windows\\system32\\", "C:\\Windows\\", true},
      {"C:\\Windows\\System32\\x", "C:\\WINDOWS", true}, {"C:\\WindowsApps", "C:\\Windows", false},
      {"C:\\Win", "C:\\Windows", false},            {"D:\\saved", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(is_same_or_below(c.path, c.folder), c.expected) << c.path << " in " << c.folder;
}
