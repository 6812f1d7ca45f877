#include "engine/run_record.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

// A run over an earlier installation, stopped while it moved files aside:
// announcements of every kind, two withdrawn, the last line cut short, and
// lines no run writes, which are set apart as unreadable.
TEST(RunRecord, ParsesAnnouncementsInOrderWithoutWithdrawnOnesOrACutLine) {
  const std::string backup = "C:\\temp\\Installer_0000000A";
  const SavedItem item{"C:\\game\\a.txt", backup + "\\a.txt", 0x21, std::string(64, 'F')};
  const std::string bytes = "DIR:C:\\game\\data\r\n"
                            "DIR:" + backup + "\r\n"
                            "*BACKUP:" + backup + "\r\n"
                            "DIR:" + backup + "\\data\r\n" +
                            run_record::save_line(item) + "\r\n" +
                            "FILE:C:\\game\\a.txt\r\n"
                            "FILE:C:\\game\\taken.txt\r\n"
                            "*NOT:FILE:C:\\game\\taken.txt\r\n"
                            "*NOT:FILE:C:\\never announced\r\n"
                            "FILE:C:\\game\\b.txt\r\n"
                            "*SAVE:no separator\r\n" +
                            std::string("FILE:C:\\game\\with") + '\0' + "zero\r\n" +
                            run_record::journal_was_line("C:\\game\\uninst\\log_inst.dat", 1234) + "\r\n" +
                            "*JOURNALWAS:C:\\x|12a\r\n"
                            "something else\r\n"
                            "APP:Quasarine_II__at__00\r\n"
                            "FILE:C:\\game\\cut";
  const StoppedRun run = parse_run_record(bytes);
  EXPECT_EQ(run.records, (Lines{"DIR:C:\\game\\data", "FILE:C:\\game\\a.txt", "FILE:C:\\game\\b.txt",
                                "APP:Quasarine_II__at__00"}));
  EXPECT_EQ(run.backup_dir, backup);
  // The backup's folders are the backup's, not the installation's.
  EXPECT_EQ(run.backup_dirs_made, (Lines{backup, backup + "\\data"}));
  ASSERT_EQ(run.saved.size(), 1u);
  EXPECT_EQ(run.saved[0].original, item.original);
  EXPECT_EQ(run.saved[0].saved, item.saved);
  EXPECT_EQ(run.saved[0].attributes, 0x21u);
  EXPECT_EQ(run.saved[0].digest, item.digest);
  EXPECT_EQ(run.unreadable, (Lines{"*SAVE:no separator", "*JOURNALWAS:C:\\x|12a", "something else"}));
  ASSERT_EQ(run.journals_before.size(), 1u);
  EXPECT_EQ(run.journals_before.at("C:\\game\\uninst\\log_inst.dat"), 1234u);
  EXPECT_FALSE(run.done);
  EXPECT_FALSE(run.empty());

  EXPECT_TRUE(parse_run_record("").empty());
  EXPECT_TRUE(parse_run_record("DIR:C:\\a\r\n*NOT:DIR:C:\\a\r\n").empty());
  EXPECT_TRUE(parse_run_record("FILE:C:\\a\r\n*DONE\r\n").done);
}

TEST(RunRecord, EarlierLinksAndEntriesRoundTrip) {
  const std::string link("L\0\0\0\x01\x14\x02\xFF|\r\n", 12);  // any bytes, line breaks and "|" included
  const std::string bytes = run_record::link_was_line("C:\\Start\\Quasarine II.lnk", link) + "\r\n" +
                            "*APPWAS:Quasarine_II__at__00\r\n" +
                            run_record::app_value_line("Quasarine_II__at__00", "Display|Name", 1, std::string("Q\0", 2)) +
                            "\r\n" + run_record::app_value_line("Quasarine_II__at__00", "NoModify", 4, std::string("\x01\0\0\0", 4)) +
                            "\r\n*APPWAS:Empty__at__11\r\n" + "*LINKWAS:C:\\x.lnk|ZZ\r\nAPP:Quasarine_II__at__00\r\n";
  const StoppedRun run = parse_run_record(bytes);
  ASSERT_EQ(run.links_before.size(), 1u);  // the one with bad hex is unreadable
  EXPECT_EQ(run.unreadable, Lines{"*LINKWAS:C:\\x.lnk|ZZ"});
  EXPECT_EQ(run.links_before.at("C:\\Start\\Quasarine II.lnk"), link);
  ASSERT_EQ(run.entries_before.size(), 2u);
  EXPECT_TRUE(run.entries_before.at("Empty__at__11").empty());
  const std::vector<EntryValue>& values = run.entries_before.at("Quasarine_II__at__00");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].name, "Display|Name");
  EXPECT_EQ(values[0].type, 1u);
  EXPECT_EQ(values[0].data, std::string("Q\0", 2));
  EXPECT_EQ(values[1].name, "NoModify");
  EXPECT_EQ(values[1].data, std::string("\x01\0\0\0", 4));
  EXPECT_EQ(run.records, std::vector<std::string>{"APP:Quasarine_II__at__00"});
}

// Beside the installation folder, in the nearest folder above it that
// exists, named after the folder whatever its letter case.
TEST(RunRecord, IsNamedAfterTheInstallationFolderAndLiesAboveIt) {
  const std::string a = run_record_name("C:\\Games\\Quasarine_II\\");
  EXPECT_EQ(a.rfind("Installer_unfinished_", 0), 0u) << a;
  EXPECT_EQ(a.size(), std::string("Installer_unfinished_0123456789ABCDEF.dat").size()) << a;
  EXPECT_EQ(run_record_name("c:\\games\\QUASARINE_II"), a);
  EXPECT_NE(run_record_name("C:\\Games\\Quasarine_III\\"), a);
  EXPECT_EQ(run_record_folders("C:\\Program Files\\Games\\Q\\"),
            (Lines{"C:\\Program Files\\Games", "C:\\Program Files", "C:\\"}));
  EXPECT_EQ(run_record_folders("D:\\Q"), Lines{"D:\\"});
}

TEST(StopHook, StopsAtTheNthMatchingLineOnly) {
  struct Case {
    const char* setting;
    Lines lines;
    int stops_after;  // index of the line it stops after, -1 for none
  };
  const Case cases[] = {
      {"FILE:#2", {"DIR:C:\\a", "FILE:C:\\a\\1", "FILE:C:\\a\\2", "FILE:C:\\a\\3"}, 2},
      {"FILE:*.lnk#1", {"FILE:C:\\a\\1", "FILE:C:\\m\\Game.lnk", "FILE:C:\\n\\x.lnk"}, 1},
      {"*SAVE:#1", {"FILE:C:\\a", "*SAVE:C:\\a|C:\\t\\a"}, 1},
      {"APP:#2", {"APP:k"}, -1},
      {"FILE:", {"FILE:C:\\a"}, -1},
      {"FILE:#0", {"FILE:C:\\a"}, -1},
      {"FILE:#x", {"FILE:C:\\a"}, -1},
      {"", {"FILE:C:\\a"}, -1},
  };
  for (const Case& c : cases) {
    StopHook hook(c.setting);
    int stopped = -1;
    for (std::size_t i = 0; i < c.lines.size() && stopped < 0; ++i) {
      if (hook.stop_after(c.lines[i])) stopped = static_cast<int>(i);
    }
    EXPECT_EQ(stopped, c.stops_after) << c.setting;
  }
}
