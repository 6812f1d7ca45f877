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
