#include "system/uninstall_key.h"

#include <gtest/gtest.h>

#include "payload/tests/digest_vectors.h"

namespace {

constexpr const char* seed = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";

}  // namespace

TEST(UninstallKeyName, MatchesTheIndependentImplementation) {
  const auto vectors = digest_vectors::load(SETUP_TEST_VECTORS);
  ASSERT_TRUE(vectors.loaded) << SETUP_TEST_VECTORS;
  ASSERT_FALSE(vectors.keys.empty());
  for (const auto& v : vectors.keys) {
    Tdigest checksum(v.seed);
    EXPECT_EQ(uninstall_key_name(checksum, v.product_folder, v.install_dir), v.key_name) << v.install_dir;
  }
}

TEST(UninstallKeyName, FolderIsHashedExactlyAsSpelled) {
  Tdigest checksum(seed);
  const std::string with_backslash = uninstall_key_name(checksum, "Game", "C:\\Games\\Game\\");
  EXPECT_NE(uninstall_key_name(checksum, "Game", "C:\\Games\\Game"), with_backslash);
  EXPECT_NE(uninstall_key_name(checksum, "Game", "c:\\games\\game\\"), with_backslash);
  // The same folder again reuses the key, whatever was hashed in between.
  EXPECT_EQ(uninstall_key_name(checksum, "Game", "C:\\Games\\Game\\"), with_backslash);
}

TEST(UninstallKeyName, ProductFolderIsOnlyThePrefix) {
  Tdigest checksum(seed);
  const std::string a = uninstall_key_name(checksum, "First", "C:\\X\\");
  const std::string b = uninstall_key_name(checksum, "Second", "C:\\X\\");
  EXPECT_EQ(a.substr(0, 11), "First__at__");
  EXPECT_EQ(a.size(), 11u + 32u);
  EXPECT_EQ(a.substr(11), b.substr(12));

  // An empty folder still yields 32 digits.
  const std::string empty = uninstall_key_name(checksum, "", "");
  EXPECT_EQ(empty.size(), 6u + 32u);
  EXPECT_EQ(empty.find_first_not_of("0123456789ABCDEF", 6), std::string::npos);
}
