#include "system/path_checks.h"

#include "system/shell_registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "core/journal.h"
#include "tests/support/win_fs.h"

namespace {

using Records = std::vector<std::string>;

// Sets PendingFileRenameOperations for one test and puts the old value back.
class PendingOperations {
 public:
  explicit PendingOperations(const std::string& multi_sz) {
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    DWORD size = 0;
    had_ = RegQueryValueExA(key_, value, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
    old_.resize(size);
    if (had_) RegQueryValueExA(key_, value, nullptr, &type_, old_.data(), &size);
    RegSetValueExA(key_, value, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi_sz.data()),
                   static_cast<DWORD>(multi_sz.size()));
  }
  ~PendingOperations() {
    if (had_) {
      RegSetValueExA(key_, value, 0, type_, old_.data(), static_cast<DWORD>(old_.size()));
    } else {
      RegDeleteValueA(key_, value);
    }
    RegCloseKey(key_);
  }
  PendingOperations(const PendingOperations&) = delete;
  PendingOperations& operator=(const PendingOperations&) = delete;

 private:
  static constexpr const char* key = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  static constexpr const char* value = "PendingFileRenameOperations";
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD type_ = REG_MULTI_SZ;
  std::vector<BYTE> old_;
};

}  // namespace

TEST(PathChecksWin, PendingRenamesAreReadFromTheRegistry) {
  const ShellRegistry registry = load_shell_registry_helpers();
  EXPECT_FALSE(has_pending_rename(registry, "C:\\Games\\Quasarine_II\\"));
  {
    const PendingOperations ops(std::string("\\??\\c:\\games\\quasarine_II\\readme.txt\0\0", 38));
    EXPECT_TRUE(has_pending_rename(registry, "C:\\Games\\Quasarine_II\\"));
    EXPECT_FALSE(has_pending_rename(registry, "C:\\Games\\Other\\"));
    EXPECT_FALSE(has_pending_rename(registry, "\\"));
    EXPECT_FALSE(has_pending_rename(ShellRegistry{}, "C:\\Games\\Quasarine_II\\"));  // no functions: none queued
  }
  {
    const PendingOperations empty{std::string()};
    EXPECT_FALSE(has_pending_rename(registry, "C:\\Games\\"));
  }
}

TEST(PathChecksWin, ProbeMakesTheFolderAndLeavesItsRecord) {
  TempDir tmp;
  Tstring_writer journal;
  const std::string folder = tmp / "a\\b\\";
  ASSERT_TRUE(probe_write(journal, folder));
  EXPECT_EQ(read_records(journal),
            (Records{"DIR:" + tmp / "a", "DIR:" + tmp / "a\\b", folder + "del_me_874bvgj345t87gd3z.txt"}));
  EXPECT_TRUE(folder_exists(folder));
  EXPECT_EQ(list_tree(tmp.path()), (Records{"a\\", "a\\b\\"}));  // the probe file is gone again
}

TEST(PathChecksWin, ProbeNeverReplacesAFile) {
  TempDir tmp;
  ASSERT_TRUE(write_file(tmp / "del_me_874bvgj345t87gd3z.txt", "the user's own"));
  Tstring_writer journal;
  ASSERT_TRUE(probe_write(journal, tmp.path() + "\\"));
  EXPECT_EQ(read_records(journal), Records{tmp / "del_me_874bvgj345t87gd3z_2.txt"});
  EXPECT_EQ(read_file(tmp / "del_me_874bvgj345t87gd3z.txt"), std::string("the user's own"));
  EXPECT_EQ(list_tree(tmp.path()), Records{"del_me_874bvgj345t87gd3z.txt"});
}

TEST(PathChecksWin, AFailedProbeLeavesNothing) {
  TempDir tmp;
  Tstring_writer journal;
  journal.add("DIR:C:\\earlier");
  // Two folders can be made, the third cannot: the folders made go again.
  EXPECT_FALSE(probe_write(journal, tmp / "new\\deeper\\a|b\\"));
  // A file where the folder should be.
  ASSERT_TRUE(CreateDirectoryA((tmp / "x").c_str(), nullptr));
  ASSERT_TRUE(write_file(tmp / "x\\file", "in the way"));
  EXPECT_FALSE(probe_write(journal, tmp / "x\\file\\"));
  EXPECT_EQ(read_records(journal), Records{"DIR:C:\\earlier"});
  EXPECT_EQ(list_tree(tmp.path()), (Records{"x\\", "x\\file"}));
}
