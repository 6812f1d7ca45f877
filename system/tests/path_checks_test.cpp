// What the path dialog can tell about chosen folders from their names and
// from the queued reboot operations' bytes.
#include <gtest/gtest.h>

#include <string>

#include "core/settings.h"
#include "system/path_checks.h"

namespace {

using namespace std::string_literals;

TEST(PathChecks, PendingOperationsNameAFolderInAnyCaseOfItsAsciiLetters) {
  const std::string queued = "\\??\\c:\\games\\quasarine_II\\readme.txt\0\0\\??\\D:\\Spiele\\\xC4rger.dll\0\0"s;
  struct Case {
    std::string folder;
    bool named;
  };
  const Case cases[] = {
      {"C:\\Games\\Quasarine_II\\", true},  // trailing "\" dropped, case ignored
      {"C:\\GAMES", true},
      {"C:\\Games\\Quasarine_II\\readme.txt\\", true},
      {"D:\\Spiele\\\xE4rger.dll", false},  // only ASCII letters fold
      {"D:\\Spiele\\\xC4rger.dll", true},
      {"readme.txt\\\\??", false},          // never across a name's end
      {"\\", false},                        // nothing left to look for
      {"", false},
      {"E:\\", false},
  };
  for (const Case& c : cases) EXPECT_EQ(pending_data_names(queued, c.folder), c.named) << c.folder;
  EXPECT_FALSE(pending_data_names("", "C:\\"));
}

TEST(PathChecks, OnlyAbsoluteNamedFoldersThatFitAreUsable) {
  InstallerSettings s;
  s.uninstaller_path = "\\uninst\\uninstall.exe";
  const auto usable = [&s](const std::string& dir, const std::string& name) {
    s.install_dir = dir;
    return install_paths_fit(s, name);
  };
  EXPECT_TRUE(usable("C:\\Games\\Quasarine_II\\", "Quasarine_II"));
  EXPECT_TRUE(usable("\\\\server\\share\\Quasarine_II\\", "Quasarine_II"));
  EXPECT_FALSE(usable("C:\\Games\\", ""));                 // the folder name was cleared
  EXPECT_FALSE(usable("Games\\Quasarine_II\\", "Quasarine_II"));  // relative
  EXPECT_FALSE(usable("\\Games\\Quasarine_II\\", "Quasarine_II"));
  EXPECT_FALSE(usable("C:Games\\Quasarine_II\\", "Quasarine_II"));
  EXPECT_FALSE(usable("", "Quasarine_II"));
  // The journal file's record would pass 255 characters.
  EXPECT_FALSE(usable("C:\\" + std::string(230, 'g') + "\\", "g"));
  EXPECT_EQ(journal_file_path(s), "C:\\" + std::string(230, 'g') + "\\uninst\\log_inst.dat");
  s.install_dir = "C:\\Games\\Quasarine_II\\";
  s.start_menu_dir = "C:\\" + std::string(260, 's');
  EXPECT_FALSE(install_paths_fit(s, "Quasarine_II"));
}

}  // namespace
