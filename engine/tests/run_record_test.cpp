#include "engine/run_record.h"

#include <gtest/gtest.h>

TEST(RunRecord, ParsesEveryKindInOrderAndIgnoresALineCutShort) {
  const SavedItem item{"C:\\game\\a.txt", "C:\\temp\\Installer_0000000A\\a.txt"};
  const std::string bytes = "DIR:C:\\game\\data\r\n"
                            "*BMADE:C:\\temp\\Installer_0000000A\r\n"
                            "*BDIR:C:\\temp\\Installer_0000000A\\data\r\n" +
                            run_record::save_line(item) + "\r\n" +
                            "FILE:C:\\game\\a.txt\r\n"
                            "C:\\game\\probe.tmp\r\n"
                            "*SAVE:no separator\r\n"
                            "FILE:C:\\game\\cut";
  const StoppedRun run = parse_run_record(bytes);
  EXPECT_EQ(run.records, (std::vector<std::string>{"DIR:C:\\game\\data", "FILE:C:\\game\\a.txt", "C:\\game\\probe.tmp"}));
  EXPECT_EQ(run.backup_dir, "C:\\temp\\Installer_0000000A");
  EXPECT_TRUE(run.backup.folder_created);
  EXPECT_EQ(run.backup.created_dirs, std::vector<std::string>{"C:\\temp\\Installer_0000000A\\data"});
  ASSERT_EQ(run.backup.items.size(), 1u);
  EXPECT_EQ(run.backup.items[0].original, item.original);
  EXPECT_EQ(run.backup.items[0].saved, item.saved);

  EXPECT_FALSE(parse_run_record("*BUSED:D:\\mine\r\n").backup.folder_created);
  EXPECT_EQ(parse_run_record("*BUSED:D:\\mine\r\n").backup_dir, "D:\\mine");
}

TEST(RunRecord, EarlierLinksAndEntriesRoundTrip) {
  const std::string link("L\0\0\0\x01\x14\x02\xFF|\r\n", 12);  // any bytes, line breaks and "|" included
  const std::string bytes = run_record::link_was_line("C:\\Start\\Quasarine II.lnk", link) + "\r\n" +
                            "*APPWAS:Quasarine_II__at__00\r\n" +
                            run_record::app_value_line("Quasarine_II__at__00", "Display|Name", 1, std::string("Q\0", 2)) +
                            "\r\n" + run_record::app_value_line("Quasarine_II__at__00", "NoModify", 4, std::string("\x01\0\0\0", 4)) +
                            "\r\n*APPWAS:Empty__at__11\r\n" + "*LINKWAS:C:\\x.lnk|ZZ\r\nAPP:Quasarine_II__at__00\r\n";
  const StoppedRun run = parse_run_record(bytes);
  ASSERT_EQ(run.links_before.size(), 1u);  // the one with bad hex is dropped
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
