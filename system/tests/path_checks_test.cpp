#include "system/path_checks.h"

#include <gtest/gtest.h>

#include <string>

#include "core/settings.h"

TEST(PathChecksTest, FolderForms) {
  const struct {
    const char* folder;
    FolderForm form;
  } cases[] = {
      {"C:\\Games\\Quasarine_II\\", FolderForm::usable},
      {"d:\\Spiele\\Gr\xFC\xDF" "e", FolderForm::usable},
      {"C:\\", FolderForm::usable},
      {"C:/Games/", FolderForm::usable},
      {"", FolderForm::empty},
      {"Games\\Quasarine_II\\", FolderForm::relative},
      {"C:Games\\", FolderForm::relative},
      {"\\Games\\", FolderForm::relative},
      {"1:\\Games\\", FolderForm::relative},
      {"\\\\server\\share\\Games\\", FolderForm::network},
      {"\\\\?\\C:\\Games\\", FolderForm::network},
      {"NUL", FolderForm::relative},
      {"C:\\NUL\\", FolderForm::bad_name},
      {"C:\\Games\\com1\\Quasarine_II\\", FolderForm::bad_name},
      {"C:\\My Games\"\\Quasarine_II\\", FolderForm::bad_name},  // a stray quote from "-PC:\My Games\"
      {"C:\\Games\\a?b\\", FolderForm::bad_name},
      {"C:\\Games.\\", FolderForm::bad_name},
      {"C:\\Games \\", FolderForm::bad_name},
      {"C:\\Games\\\\x\\", FolderForm::bad_name},
      {"C:\\Games\\..\\x\\", FolderForm::bad_name},
      {"C:\\x:y\\", FolderForm::bad_name},
  };
  for (const auto& c : cases) EXPECT_EQ(folder_form(c.folder), c.form) << c.folder;
  EXPECT_EQ(folder_form("C:\\" + std::string(253, 'g')), FolderForm::too_long);
}

TEST(PathChecksTest, PendingOperationsAreSearchedAsBytes) {
  // Two operations, source and target each, as REG_MULTI_SZ holds them.
  const std::string ops = std::string("\\??\\c:\\games\\quasarine_II\\readme.txt\0\0", 39) +
                          std::string("\\??\\C:\\Spiele\\\xC4rger\\x.dll\0\\??\\C:\\Games2\\old.dll\0\0", 48);
  const auto* data = reinterpret_cast<const std::uint8_t*>(ops.data());
  const struct {
    const char* path;
    bool found;
  } cases[] = {
      {"C:\\Games\\Quasarine_II\\", true},  // trailing "\" removed, ASCII case ignored
      {"C:\\GAMES\\QUASARINE_II\\README.TXT", true},
      {"C:\\Games2", true},                 // a plain substring search
      {"C:\\Spiele\\\xC4rger", true},
      {"C:\\Spiele\\\xE4rger", false},      // non-ASCII letters are compared as they are
      {"C:\\Games\\Other\\", false},
      {"readme.txt\\??", false},            // a match never spans a zero byte
      {"\\", false},                        // empty once its "\" is gone
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(pending_operations_mention(data, ops.size(), c.path), c.found) << c.path;

  // A value that does not end in a zero byte still matches at its very end.
  const std::string unterminated = "\\??\\C:\\Games";
  EXPECT_TRUE(pending_operations_mention(reinterpret_cast<const std::uint8_t*>(unterminated.data()),
                                         unterminated.size(), "C:\\Games\\"));
  EXPECT_FALSE(pending_operations_mention(nullptr, 0, "C:\\Games\\"));
}

TEST(PathChecksTest, OnlyAbsoluteNamedFoldersThatFitAreUsable) {
  InstallerSettings s;
  s.uninstaller_path = "\\uninst\\uninstall.exe";
  const auto usable = [&s](const std::string& dir, const std::string& name) {
    s.install_dir = dir;
    return install_paths_fit(s, name);
  };
  EXPECT_TRUE(usable("C:\\Games\\Quasarine_II\\", "Quasarine_II"));
  EXPECT_FALSE(usable("\\\\server\\share\\Quasarine_II\\", "Quasarine_II"));
  EXPECT_FALSE(usable("C:\\Games\\", ""));  // the folder name was cleared
  EXPECT_FALSE(usable("Games\\Quasarine_II\\", "Quasarine_II"));
  EXPECT_FALSE(usable("", "Quasarine_II"));
  // The journal file's record would pass 255 characters.
  EXPECT_FALSE(usable("C:\\" + std::string(230, 'g') + "\\", "g"));
  EXPECT_EQ(journal_file_path(s), "C:\\" + std::string(230, 'g') + "\\uninst\\log_inst.dat");
  s.install_dir = "C:\\Games\\Quasarine_II\\";
  s.start_menu_dir = "C:\\" + std::string(260, 's');
  EXPECT_FALSE(install_paths_fit(s, "Quasarine_II"));
  s.start_menu_dir = "C:\\Start\\nul\\";  // each start-menu folder that is set, on its own
  EXPECT_FALSE(install_paths_fit(s, "Quasarine_II"));
  s.start_menu_dir.clear();
  EXPECT_TRUE(install_paths_fit(s, "Quasarine_II"));
}
