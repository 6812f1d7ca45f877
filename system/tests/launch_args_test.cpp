#include "system/launch_args.h"

#include <gtest/gtest.h>

#include <string>

TEST(LaunchArgsTest, LanguageAndSharedDataFolder) {
  const struct {
    std::int32_t language;
    bool no_sharing;
    const char* folder;
    const char* expected;
  } cases[] = {
      {0, false, "C:\\ProgramData", "-L 0 -P \"C:\\ProgramData\""},
      {1000, true, "C:\\ProgramData", "-L 1000"},
      {0, false, "C:\\Data\\", "-L 0 -P \"C:\\Data\\\\\""},   // trailing "\" doubled
      {0, false, "C:\\", "-L 0 -P \"C:\\\\\""},
      {0, false, "", "-L 0 -P \"\""},
      {1000, false, "C:\\Gemeinsame Daten", "-L 1000 -P \"C:\\Gemeinsame Daten\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(build_launch_args(c.language, c.no_sharing, c.folder), c.expected) << c.folder;
  }
}

TEST(LaunchArgsTest, LongFoldersAreNeverCut) {
  const std::string folder = "C:\\" + std::string(300, 'd');
  const std::string args = build_launch_args(0, false, folder);
  EXPECT_EQ(args.size(), 8 + folder.size() + 2);
  EXPECT_EQ(args.substr(args.size() - 4), "ddd\"");
}
