#include "system/default_paths.h"

#include <gtest/gtest.h>

#include "core/settings.h"

namespace {

// Folders as a Wine prefix reports them, shortened.
void make_wine_like(InstallerSettings& s, std::int32_t admin_level) {
  s.admin_level = admin_level;
  s.product_folder = "Quasarine_II";
  s.folders.program_files_dir = "C:\\Program Files";
  s.folders.appdata_dir = "C:\\users\\x\\AppData\\Roaming";
  s.folders.user_start_menu_dir = "C:\\users\\x\\Start Menu";
  s.folders.common_start_menu_dir = "C:\\ProgramData\\Start Menu";
}

}  // namespace

TEST(ComputeDialogDefaults, InstallBaseDependsOnAdminLevel) {
  InstallerSettings admin;
  make_wine_like(admin, 1);
  compute_dialog_defaults(admin);
  EXPECT_EQ(admin.default_install_base, "C:\\Program Files\\");

  // An unknown level is offered the program-files folder, as an administrator.
  InstallerSettings unknown;
  make_wine_like(unknown, 0);
  compute_dialog_defaults(unknown);
  EXPECT_EQ(unknown.default_install_base, "C:\\Program Files\\");

  InstallerSettings user;
  make_wine_like(user, -1);
  compute_dialog_defaults(user);
  EXPECT_EQ(user.default_install_base, "C:\\users\\x\\AppData\\Roaming\\Games\\");
}

TEST(ComputeDialogDefaults, ResetsTheDialogTexts) {
  InstallerSettings s;
  make_wine_like(s, 1);
  s.default_install_subdir = "Edited";
  s.start_menu_label_root = "x";
  s.start_menu_subdir_text = "Games";
  s.start_menu_label = "Start/Games/Edited";
  compute_dialog_defaults(s);
  EXPECT_EQ(s.default_install_subdir, "Quasarine_II");
  EXPECT_EQ(s.start_menu_label_root, "Start\\");
  EXPECT_EQ(s.start_menu_subdir_text, "/");
  EXPECT_EQ(s.start_menu_label, "Start//Quasarine_II");
}

TEST(ComposeStartMenuLabel, JoinsRootSubFolderAndInstallFolder) {
  InstallerSettings s;
  make_wine_like(s, 1);
  compute_dialog_defaults(s);
  const std::pair<std::string, std::string> cases[] = {
      {"Games", "Start/Games/Quasarine_II"},
      {"Games\\", "Start/Games/Quasarine_II"},
      {"Games/", "Start/Games/Quasarine_II"},
      {"", "Start/Quasarine_II"},
      {"/", "Start/Quasarine_II"},
      {"Fun\\Games", "Start/Fun/Games/Quasarine_II"},
  };
  for (const auto& [text, label] : cases) {
    s.start_menu_subdir_text = text;
    compose_start_menu_label(s);
    EXPECT_EQ(s.start_menu_label, label) << "sub-folder text " << text;
  }
}

TEST(ComposeStartMenuLabel, SubFolderTextEndsAtItsFirstZero) {
  InstallerSettings s;
  make_wine_like(s, 1);
  compute_dialog_defaults(s);
  s.start_menu_subdir_text = std::string("Games\0Old text left in the buffer", 34);
  s.start_menu_subdir_text.resize(1000, '\0');
  compose_start_menu_label(s);
  EXPECT_EQ(s.start_menu_subdir_text, "Games");
  EXPECT_EQ(s.start_menu_label, "Start/Games/Quasarine_II");
}

TEST(ComposeStartMenuLabel, FollowsTheEditedInstallFolder) {
  InstallerSettings s;
  make_wine_like(s, 1);
  compute_dialog_defaults(s);
  s.default_install_subdir = "Q2\\Data";
  s.start_menu_subdir_text = "Games";
  compose_start_menu_label(s);
  EXPECT_EQ(s.start_menu_label, "Start/Games/Q2/Data");
}

TEST(StartMenuRoots, AllUsersOnlyForAnAdministratorInstallingForEveryone) {
  struct Case {
    std::int32_t level;
    bool user_only;
    bool hide_uninstall;
    bool game_common;
    bool uninstall_common;
  };
  const Case cases[] = {
      {1, false, false, true, true},    {1, false, true, true, false},
      {1, true, false, false, false},   {1, true, true, false, false},
      {0, false, false, false, false},  {0, false, true, false, false},
      {-1, false, false, false, false}, {-1, true, true, false, false},
  };
  for (const auto& c : cases) {
    InstallerSettings s;
    make_wine_like(s, c.level);
    s.user_only = c.user_only;
    s.hide_uninstall = c.hide_uninstall;
    const std::string common = s.folders.common_start_menu_dir;
    const std::string user = s.folders.user_start_menu_dir;
    SCOPED_TRACE(testing::Message() << "level " << c.level << " user_only " << c.user_only << " hide "
                                    << c.hide_uninstall);
    EXPECT_EQ(game_start_menu_root(s), c.game_common ? common : user);
    EXPECT_EQ(uninstall_start_menu_root(s), c.uninstall_common ? common : user);
  }
}

TEST(StartMenuRoots, AreShortStrings) {
  InstallerSettings s;
  make_wine_like(s, 1);
  s.hide_uninstall = false;
  s.folders.common_start_menu_dir = "C:\\" + std::string(300, 'c');
  EXPECT_EQ(game_start_menu_root(s), s.folders.common_start_menu_dir.substr(0, 255));
  EXPECT_EQ(uninstall_start_menu_root(s), s.folders.common_start_menu_dir.substr(0, 255));
}
