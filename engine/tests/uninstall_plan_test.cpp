#include "engine/uninstall_plan.h"

#include <gtest/gtest.h>

namespace {

UninstallPlaces places() {
  UninstallPlaces p;
  p.install_dir = "C:\\Games\\Q\\";
  p.journal_path = "C:\\Games\\Q\\uninst\\log_inst.dat";
  p.link_roots = {"C:\\Menu", "C:\\Desk"};
  p.system_folders = {"C:\\Windows"};
  // The setup names the entry after the folder exactly as it spelt it.
  p.own_entry = [](std::string_view key, std::string_view dir) {
    return key == "Q__at__" + std::string(dir == "C:\\Games\\Q\\" ? "1" : "2");
  };
  return p;
}

std::vector<JournalLine> lines(const std::string& text) { return parse_journal_text(text); }

std::string steps_of(const UninstallPlan& plan) {
  std::string out;
  for (const RemovalStep& s : plan.steps) {
    static const char* const names[] = {"delete ", "rmdir ", "restore ", "entry ", "backup "};
    out += names[static_cast<int>(s.kind)] + s.path + (s.from.empty() ? "" : " <- " + s.from) + "\n";
  }
  return out;
}

// A fresh installation, then a second one over it that kept what it
// replaced: the second is undone first, its saved files go back after its
// own files are gone, and the first one's folders go last.
TEST(UninstallPlan, UndoesRunsNewestFirstEachLikeARollback) {
  const std::string journal =
      "DIR:C:\\Games\r\nDIR:C:\\Games\\Q\r\nC:\\Games\\Q\\del_me_874bvgj345t87gd3z.txt\r\n"
      "DIR:C:\\Games\\Q\\data\r\nFILE:C:\\Games\\Q\\data\\a.dat\r\nDIR:C:\\Games\\Q\\uninst\r\n"
      "FILE:C:\\Games\\Q\\uninst\\uninstall.exe\r\nDIR:C:\\Menu\\Q\r\nFILE:C:\\Menu\\Q\\Game.lnk\r\n"
      "APP:Q__at__1\r\nFILE:C:\\Games\\Q\\uninst\\log_inst.dat\r\n"
      // The second run spelt the folder in lower case.
      "c:\\games\\q\\del_me_874bvgj345t87gd3z_2.txt\r\nFILE:c:\\games\\q\\data\\a.dat\r\n"
      "FILE:c:\\games\\q\\data\\b.dat\r\nRDIR:C:\\Temp\\Installer_0000ABCD\r\nFILE:C:\\Menu\\Q\\Game.lnk\r\n"
      "APP:Q__at__2\r\nFILE:c:\\games\\q\\uninst\\log_inst.dat\r\n";
  const UninstallPlan plan = plan_uninstall(lines(journal), places());
  EXPECT_EQ(plan.runs, 2);
  EXPECT_TRUE(plan.refused.empty()) << plan.refused.front().record;
  EXPECT_EQ(steps_of(plan),
            "delete C:\\Menu\\Q\\Game.lnk\n"
            "delete c:\\games\\q\\data\\b.dat\n"
            "delete c:\\games\\q\\data\\a.dat\n"
            "restore c:\\games\\q\\data\\b.dat <- C:\\Temp\\Installer_0000ABCD\\data\\b.dat\n"
            "restore c:\\games\\q\\data\\a.dat <- C:\\Temp\\Installer_0000ABCD\\data\\a.dat\n"
            "entry Q__at__2\n"
            "backup C:\\Temp\\Installer_0000ABCD\n"
            "delete C:\\Menu\\Q\\Game.lnk\n"
            "delete C:\\Games\\Q\\uninst\\uninstall.exe\n"
            "delete C:\\Games\\Q\\data\\a.dat\n"
            "rmdir C:\\Menu\\Q\n"
            "rmdir C:\\Games\\Q\\uninst\n"
            "rmdir C:\\Games\\Q\\data\n"
            "rmdir C:\\Games\\Q\n"
            "rmdir C:\\Games\n"
            "entry Q__at__1\n");
}

// A journal edited or damaged: nothing outside the installation's places is
// touched, and every such line is reported with its reason.
TEST(UninstallPlan, RefusesWhatLiesOutsideItsPlacesAndWhatIsNoRecord) {
  struct Case {
    std::string line;  // with its line end, or without for a cut last line
    const char* why;
  };
  const Case cases[] = {
      {"FILE:C:\\Windows\\win.ini\r\n", "outside"},
      {"FILE:C:\\Games\\Q\\..\\..\\Windows\\win.ini\r\n", "outside"},
      {"FILE:C:\\Games\\Qx\\a.dat\r\n", "outside"},
      {"FILE:C:\\Games\\Q\\a.dat:stream\r\n", "outside"},
      {"FILE:C:\\Menu\r\n", "outside"},
      {"DIR:C:\\Windows\\System32\r\n", "outside"},
      {"DIR:D:\\\r\n", "outside"},
      {"APP:Other__at__1\r\n", "not the one"},
      {"RDIR:C:\\Windows\r\n", "system"},
      {"RDIR:C:\\Games\\Q\\saved\r\n", "installation folder"},
      {"FILE:C:\\Games\\Q\\" + std::string(260, 'a') + "\r\n", "longer"},
      {std::string("FILE:C:\\Games\\Q\\a") + '\0' + "b\r\n", "zero byte"},
      {"FILE:C:\\Games\\Q\\a\rb\r\n", "line break"},
      {"del C:\\Games\\Q\\a.dat\r\n", "no record"},
      {"FILE:C:\\Games\\Q\\a.dat", "ends in the middle"},
  };
  for (const Case& c : cases) {
    const UninstallPlan plan = plan_uninstall(lines(c.line), places());
    ASSERT_EQ(plan.refused.size(), 1u) << c.line;
    EXPECT_NE(plan.refused[0].why.find(c.why), std::string::npos) << c.line << ": " << plan.refused[0].why;
    EXPECT_TRUE(plan.steps.empty()) << c.line << "\n" << steps_of(plan);
  }
}

TEST(UninstallPlan, OnlyTheSetupsOwnBackupFoldersAreRemoved) {
  // A folder given with -p is the user's: its saved files come back, it stays.
  const UninstallPlan plan = plan_uninstall(
      lines("FILE:C:\\Games\\Q\\a.dat\r\nRDIR:D:\\mine\r\nFILE:C:\\Games\\Q\\uninst\\log_inst.dat\r\n"), places());
  EXPECT_EQ(steps_of(plan), "delete C:\\Games\\Q\\a.dat\nrestore C:\\Games\\Q\\a.dat <- D:\\mine\\a.dat\n");
  for (const char* name : {"Installer_0123ABCD", "C:\\T\\Installer_FFFFFFFF\\"}) EXPECT_TRUE(is_own_backup_folder(name));
  for (const char* name : {"Installer_0123abcd", "C:\\T\\Installer_0123ABC", "C:\\T\\Installer_0123ABCDE", "D:\\mine"}) {
    EXPECT_FALSE(is_own_backup_folder(name)) << name;
  }
}

}  // namespace
