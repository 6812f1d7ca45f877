#include "engine/backup_name.h"

#include <gtest/gtest.h>

#include <set>

TEST(BackupFolderName, EightUppercaseDigitsWithLeadingZeros) {
  EXPECT_EQ(BackupNameGenerator::backup_folder_name(0), "Installer_00000000");
  EXPECT_EQ(BackupNameGenerator::backup_folder_name(0xABCDEF), "Installer_00ABCDEF");
  EXPECT_EQ(BackupNameGenerator::backup_folder_name(backup_number_bound - 1), "Installer_55EFAA0F");
}

TEST(BackupNameGenerator, DrawsStayBelowTheBoundForAnySeed) {
  for (const std::uint32_t seed : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu, 123456789u}) {
    BackupNameGenerator names(seed);
    for (int i = 0; i < 10000; ++i) ASSERT_LT(names.next_number(), backup_number_bound) << seed;
  }
}

TEST(BackupNameGenerator, SameSeedSameNamesAndRedrawsDiffer) {
  // Two runs of one millisecond start alike; a run whose first name is taken
  // must get a different one when it draws again.
  BackupNameGenerator a(4711), b(4711);
  std::set<std::string> seen;
  for (int i = 0; i < 64; ++i) {
    const std::string name = a.next_name();
    EXPECT_EQ(name, b.next_name());
    ASSERT_EQ(name.size(), 18u);
    EXPECT_EQ(name.find_first_not_of("0123456789ABCDEF", 10), std::string::npos) << name;
    seen.insert(name);
  }
  EXPECT_EQ(seen.size(), 64u);
  EXPECT_NE(BackupNameGenerator(4711).next_name(), BackupNameGenerator(4712).next_name());
}
