#include "system/special_folders.h"

#include <gtest/gtest.h>

#include <map>

#include "core/settings.h"

namespace {

// A shell that reports the folders in its map and nothing for the others.
struct FakeShell {
  std::optional<int> admin_answer = 1;  // nothing: no IsUserAnAdmin
  bool has_folder_function = true;
  std::map<int, std::string> folders;
  std::string windir;

  ShellFolderSource source() const {
    ShellFolderSource s;
    if (admin_answer) s.is_user_an_admin = [a = *admin_answer] { return a; };
    if (has_folder_function) {
      s.special_folder_path = [f = folders](int id) -> std::optional<std::string> {
        const auto it = f.find(id);
        if (it == f.end()) return std::nullopt;
        return it->second;
      };
    }
    s.windir = windir;
    return s;
  }

  // What discovery leaves in the settings (which cannot be copied).
  struct Result {
    std::int32_t admin_level;
    bool folder_discovery_failed;
    FolderTable folders;
  };

  Result discover() const {
    InstallerSettings settings;
    discover_special_folders(settings, source());
    return {settings.admin_level, settings.folder_discovery_failed, settings.folders};
  }
};

// What a Windows XP shell reports, one distinct path per folder.
std::map<int, std::string> xp_folders() {
  const std::string profile = "D:\\Documents and Settings\\x";
  const std::string all = "D:\\Documents and Settings\\All Users";
  return {
      {csidl::programs, profile + "\\Start Menu\\Programs"},
      {csidl::desktop, profile + "\\Desktop"},
      {csidl::windows, "D:\\WINNT"},
      {csidl::start_menu, profile + "\\Start Menu"},
      {csidl::common_start_menu, all + "\\Start Menu"},
      {csidl::common_programs, all + "\\Start Menu\\Programs"},
      {csidl::program_files, "D:\\Program Files"},
      {csidl::personal, profile + "\\My Documents"},
      {csidl::appdata, profile + "\\Application Data"},
      {csidl::common_appdata, all + "\\Application Data"},
  };
}

}  // namespace

TEST(DiscoverSpecialFolders, StoresEveryReportedFolderInItsOwnField) {
  FakeShell shell;
  shell.folders = xp_folders();
  shell.windir = "E:\\ignored";
  const auto s = shell.discover();
  const FolderTable& f = s.folders;
  EXPECT_FALSE(s.folder_discovery_failed);
  EXPECT_EQ(f.programs_dir, "D:\\Documents and Settings\\x\\Start Menu\\Programs");
  EXPECT_EQ(f.desktop_dir, "D:\\Documents and Settings\\x\\Desktop");
  EXPECT_EQ(f.windows_dir, "D:\\WINNT");
  EXPECT_EQ(f.user_start_menu_dir, "D:\\Documents and Settings\\x\\Start Menu");
  EXPECT_EQ(f.common_start_menu_dir, "D:\\Documents and Settings\\All Users\\Start Menu");
  EXPECT_EQ(f.common_programs_dir, "D:\\Documents and Settings\\All Users\\Start Menu\\Programs");
  EXPECT_EQ(f.program_files_dir, "D:\\Program Files");
  EXPECT_EQ(f.documents_dir, "D:\\Documents and Settings\\x\\My Documents");
  EXPECT_EQ(f.appdata_dir, "D:\\Documents and Settings\\x\\Application Data");
  EXPECT_EQ(f.common_appdata_dir, "D:\\Documents and Settings\\All Users\\Application Data");
}

TEST(DiscoverSpecialFolders, WithoutFolderFunctionFallsBackAndFails) {
  FakeShell shell;
  shell.has_folder_function = false;
  shell.folders = xp_folders();  // never asked
  const auto s = shell.discover();
  const FolderTable& f = s.folders;
  EXPECT_TRUE(s.folder_discovery_failed);
  EXPECT_EQ(s.admin_level, 1);
  EXPECT_EQ(f.windows_dir, "c:\\windows");
  EXPECT_EQ(f.user_start_menu_dir, "c:\\windows\\startmenu");
  EXPECT_EQ(f.common_start_menu_dir, "c:\\windows\\startmenu");
  EXPECT_EQ(f.programs_dir, "c:\\windows\\startmenu\\Programs");
  EXPECT_EQ(f.common_programs_dir, "c:\\windows\\startmenu\\Programs");
  EXPECT_EQ(f.program_files_dir, "c:\\Programs");
  EXPECT_EQ(f.appdata_dir, "c:\\Programs");
  EXPECT_EQ(f.common_appdata_dir, "c:\\Programs");
  EXPECT_EQ(f.documents_dir, "c:\\ownfiles");
  EXPECT_EQ(f.desktop_dir, "");
}

TEST(DiscoverSpecialFolders, FallbacksBuildOnWindir) {
  FakeShell shell;
  shell.folders.clear();  // the function exists but reports nothing
  shell.windir = "D:\\WINNT";
  const auto s = shell.discover();
  const FolderTable& f = s.folders;
  EXPECT_FALSE(s.folder_discovery_failed);
  EXPECT_EQ(f.windows_dir, "D:\\WINNT");
  EXPECT_EQ(f.user_start_menu_dir, "D:\\WINNT\\startmenu");
  EXPECT_EQ(f.common_start_menu_dir, "D:\\WINNT\\startmenu");
  EXPECT_EQ(f.programs_dir, "D:\\WINNT\\startmenu\\Programs");
  EXPECT_EQ(f.common_programs_dir, "D:\\WINNT\\startmenu\\Programs");
  EXPECT_EQ(f.program_files_dir, "D:\\Programs");
  EXPECT_EQ(f.appdata_dir, "D:\\Programs");
  EXPECT_EQ(f.common_appdata_dir, "D:\\Programs");
  EXPECT_EQ(f.documents_dir, "c:\\ownfiles");
  EXPECT_EQ(f.desktop_dir, "");

  // A reported Windows folder wins over WINDIR.
  shell.folders = {{csidl::windows, "F:\\Windows"}};
  const auto g = shell.discover().folders;
  EXPECT_EQ(g.windows_dir, "F:\\Windows");
  EXPECT_EQ(g.program_files_dir, "F:\\Programs");
}

TEST(DiscoverSpecialFolders, ProgramFilesFallbackIsNamedLikeTheProgramMenuOnTheWindowsDrive) {
  FakeShell shell;
  shell.folders = xp_folders();
  shell.folders.erase(csidl::program_files);
  EXPECT_EQ(shell.discover().folders.program_files_dir, "D:\\Programs");

  shell.folders[csidl::programs] = "C:\\Dokumente und Einstellungen\\x\\Startmenü\\Programme";
  EXPECT_EQ(shell.discover().folders.program_files_dir, "D:\\Programme");

  // A program menu directly below a drive root contributes only its name.
  shell.folders[csidl::programs] = "C:\\Programs";
  EXPECT_EQ(shell.discover().folders.program_files_dir, "D:\\Programs");
  shell.folders[csidl::programs] = "Programs";
  EXPECT_EQ(shell.discover().folders.program_files_dir, "D:\\Programs");
}

TEST(DiscoverSpecialFolders, EachFallbackReadsTheFieldsFilledBeforeIt) {
  FakeShell shell;
  shell.folders = xp_folders();
  shell.folders.erase(csidl::common_start_menu);
  shell.folders.erase(csidl::common_programs);
  shell.folders.erase(csidl::appdata);
  shell.folders.erase(csidl::common_appdata);
  auto f = shell.discover().folders;
  EXPECT_EQ(f.common_start_menu_dir, "D:\\Documents and Settings\\x\\Start Menu");
  EXPECT_EQ(f.common_programs_dir, "D:\\Documents and Settings\\x\\Start Menu\\Programs");
  EXPECT_EQ(f.appdata_dir, "D:\\Program Files");
  EXPECT_EQ(f.common_appdata_dir, "D:\\Program Files");

  // The program menu is derived from a reported start menu, and the shared
  // one is a copy of it.
  shell.folders = xp_folders();
  shell.folders.erase(csidl::programs);
  shell.folders.erase(csidl::common_programs);
  f = shell.discover().folders;
  EXPECT_EQ(f.programs_dir, "D:\\Documents and Settings\\x\\Start Menu\\Programs");
  EXPECT_EQ(f.common_programs_dir, f.programs_dir);
}

TEST(DiscoverSpecialFolders, WithoutShellLibraryStartsFromAnEmptyTable) {
  InstallerSettings s;
  s.admin_level = 1;
  s.folders.desktop_dir = "C:\\old desktop";
  s.folders.program_files_dir = "C:\\old";
  discover_special_folders(s, ShellFolderSource{});
  EXPECT_EQ(s.admin_level, 0);
  EXPECT_TRUE(s.folder_discovery_failed);
  EXPECT_EQ(s.folders.desktop_dir, "");
  EXPECT_EQ(s.folders.windows_dir, "c:\\windows");
  EXPECT_EQ(s.folders.program_files_dir, "c:\\Programs");
}

TEST(DiscoverSpecialFolders, AdminLevelFollowsIsUserAnAdmin) {
  FakeShell shell;
  shell.folders = xp_folders();
  shell.admin_answer.reset();
  EXPECT_EQ(shell.discover().admin_level, 0);
  shell.admin_answer = 0;
  EXPECT_EQ(shell.discover().admin_level, -1);
  shell.admin_answer = 1;
  EXPECT_EQ(shell.discover().admin_level, 1);
  shell.admin_answer = -7;
  EXPECT_EQ(shell.discover().admin_level, 1);
  // The level does not depend on the folder function.
  shell.has_folder_function = false;
  shell.admin_answer = 0;
  EXPECT_EQ(shell.discover().admin_level, -1);
}

TEST(DiscoverSpecialFolders, CutsEveryStoredPathTo255Characters) {
  FakeShell shell;
  const std::string long_path = "C:\\" + std::string(300, 'a');
  shell.folders = xp_folders();
  shell.folders[csidl::desktop] = long_path;
  auto f = shell.discover().folders;
  EXPECT_EQ(f.desktop_dir, long_path.substr(0, 255));

  // Fallbacks built from a long value are cut as well.
  shell.folders.clear();
  shell.windir = long_path;
  f = shell.discover().folders;
  EXPECT_EQ(f.windows_dir, long_path.substr(0, 255));
  EXPECT_EQ(f.user_start_menu_dir, long_path.substr(0, 255));
  EXPECT_EQ(f.programs_dir.size(), 255u);
  EXPECT_EQ(f.program_files_dir, "C:\\" + std::string(252, 'a'));
}
