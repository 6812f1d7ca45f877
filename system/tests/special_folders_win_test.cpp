#include "system/special_folders.h"

#include <gtest/gtest.h>

#include "core/paths.h"
#include "core/settings.h"

namespace {

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

// What the shell of the 32-bit Wine prefix reports (see the engineering notes).
TEST(DiscoverSpecialFoldersWin, ReadsTheShellOfThePrefix) {
  InstallerSettings s;
  discover_special_folders(s);
  const FolderTable& f = s.folders;
  EXPECT_EQ(s.admin_level, 1);
  EXPECT_FALSE(s.folder_discovery_failed);
  EXPECT_EQ(f.windows_dir, "C:\\windows");
  EXPECT_EQ(f.program_files_dir, "C:\\Program Files");
  EXPECT_EQ(f.common_appdata_dir, "C:\\ProgramData");
  EXPECT_EQ(f.common_start_menu_dir, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu");
  EXPECT_EQ(f.common_programs_dir, f.common_start_menu_dir + "\\Programs");
  EXPECT_TRUE(ends_with(f.appdata_dir, "\\AppData\\Roaming")) << f.appdata_dir;
  EXPECT_EQ(f.user_start_menu_dir, f.appdata_dir + "\\Microsoft\\Windows\\Start Menu");
  EXPECT_TRUE(ends_with(f.programs_dir, "Start Menu\\Programs")) << f.programs_dir;
  EXPECT_EQ(parent_dir(f.programs_dir), f.user_start_menu_dir);
  EXPECT_FALSE(f.desktop_dir.empty());
  EXPECT_FALSE(f.documents_dir.empty());
  EXPECT_NE(f.desktop_dir, f.documents_dir);
}
