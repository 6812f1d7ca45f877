#include "core/silent_paths.h"

#include <gtest/gtest.h>

#include "core/settings.h"

namespace {

void make_silent_run(InstallerSettings& s, std::int32_t admin_level) {
  s.admin_level = admin_level;
  s.silent = true;
  s.product_folder = "Quasarine_II";
  s.folders.program_files_dir = "C:\\Program Files";
  s.folders.appdata_dir = "C:\\users\\x\\AppData\\Roaming";
  s.folders.programs_dir = "C:\\users\\x\\Start Menu\\Programs";
  s.folders.common_programs_dir = "C:\\ProgramData\\Start Menu\\Programs";
}

const char* const user_menu = "C:\\users\\x\\Start Menu\\Programs\\Quasarine_II";
const char* const common_menu = "C:\\ProgramData\\Start Menu\\Programs\\Quasarine_II";

}  // namespace

TEST(CompleteSilentPaths, DefaultInstallFolderFollowsAdminLevel) {
  InstallerSettings admin;
  make_silent_run(admin, 1);
  complete_silent_paths(admin);
  EXPECT_EQ(admin.install_dir, "C:\\Program Files\\Quasarine_II\\");

  InstallerSettings unknown;
  make_silent_run(unknown, 0);
  complete_silent_paths(unknown);
  EXPECT_EQ(unknown.install_dir, "C:\\Program Files\\Quasarine_II\\");

  InstallerSettings user;
  make_silent_run(user, -1);
  complete_silent_paths(user);
  EXPECT_EQ(user.install_dir, "C:\\users\\x\\AppData\\Roaming\\Quasarine_II\\");
}

TEST(CompleteSilentPaths, GivenInstallFolderStillGetsTheProductFolder) {
  for (const std::string given : {"D:\\Games", "D:\\Games\\"}) {
    InstallerSettings s;
    make_silent_run(s, 1);
    s.install_dir = given;
    complete_silent_paths(s);
    EXPECT_EQ(s.install_dir, "D:\\Games\\Quasarine_II\\") << "given " << given;
  }
}

TEST(CompleteSilentPaths, DefaultStartMenuFolders) {
  // All users' menu for the game, the uninstaller hidden in the user's own.
  InstallerSettings s;
  make_silent_run(s, 1);
  complete_silent_paths(s);
  EXPECT_EQ(s.start_menu_dir, common_menu);
  EXPECT_EQ(s.uninstall_menu_dir, user_menu);

  InstallerSettings user_only;
  make_silent_run(user_only, 1);
  user_only.user_only = true;
  complete_silent_paths(user_only);
  EXPECT_EQ(user_only.start_menu_dir, user_menu);
  EXPECT_EQ(user_only.uninstall_menu_dir, user_menu);
}

TEST(CompleteSilentPaths, UnhiddenUninstallerGoesWithTheGame) {
  InstallerSettings s;
  make_silent_run(s, 1);
  s.hide_uninstall = false;
  complete_silent_paths(s);
  EXPECT_EQ(s.uninstall_menu_dir, common_menu);

  InstallerSettings preset;
  make_silent_run(preset, 1);
  preset.hide_uninstall = false;
  preset.start_menu_dir = "C:\\Menu\\Mine";
  complete_silent_paths(preset);
  EXPECT_EQ(preset.start_menu_dir, "C:\\Menu\\Mine");
  EXPECT_EQ(preset.uninstall_menu_dir, "C:\\Menu\\Mine");
}

TEST(CompleteSilentPaths, NoUninstallShortcutKeepsTheGameMenu) {
  InstallerSettings s;
  make_silent_run(s, 1);
  s.start_menu_uninstall = false;  // -y
  complete_silent_paths(s);
  EXPECT_EQ(s.start_menu_dir, common_menu);
  EXPECT_EQ(s.uninstall_menu_dir, "");
}

TEST(CompleteSilentPaths, NoStartMenuEmptiesBothMenus) {
  InstallerSettings s;
  make_silent_run(s, 1);
  s.no_start_menu = true;  // -M
  s.uninstall_menu_dir = "C:\\Menu\\Uninstall";
  complete_silent_paths(s);
  EXPECT_EQ(s.start_menu_dir, "");
  EXPECT_EQ(s.uninstall_menu_dir, "");
  EXPECT_EQ(s.install_dir, "C:\\Program Files\\Quasarine_II\\");
}
