#include "engine/journal_file.h"

#include <gtest/gtest.h>

#include "core/win_handle.h"
#include "core/journal.h"
#include "tests/support/win_fs.h"

TEST(WriteJournalFile, CreatesFoldersAndListsItselfLast) {
  TempDir tmp;
  Tstring_writer journal;
  journal.add("DIR:" + tmp.path() + "\\game\\");
  journal.add("FILE:" + tmp.path() + "\\game\\a.txt");
  journal.add(tmp.path() + "\\game\\del_me_874bvgj345t87gd3z.txt");
  const std::string path = tmp / "game\\uninst\\log_inst.dat";

  ASSERT_TRUE(write_journal_file(journal, path));

  const std::string expected = "DIR:" + tmp.path() + "\\game\\\r\n" +
                               "FILE:" + tmp.path() + "\\game\\a.txt\r\n" +
                               tmp.path() + "\\game\\del_me_874bvgj345t87gd3z.txt\r\n" +
                               "DIR:" + tmp.path() + "\\game\r\n" +
                               "DIR:" + tmp.path() + "\\game\\uninst\r\n" +
                               "FILE:" + path + "\r\n";
  EXPECT_EQ(read_file(path), expected);
  EXPECT_EQ(count_records(journal).files, 2);
}

TEST(WriteJournalFile, AppendsToAnEarlierRun) {
  TempDir tmp;
  const std::string path = tmp / "log_inst.dat";
  {
    Tstring_writer first;
    first.add("FILE:first");
    ASSERT_TRUE(write_journal_file(first, path));
  }
  Tstring_writer second;
  second.add("FILE:second");
  ASSERT_TRUE(write_journal_file(second, path));
  EXPECT_EQ(read_file(path), "FILE:first\r\nFILE:" + path + "\r\nFILE:second\r\nFILE:" + path + "\r\n");
}

TEST(WriteJournalFile, ReportsAFileThatCannotBeWritten) {
  TempDir tmp;
  const std::string path = tmp / "log_inst.dat";
  ASSERT_TRUE(write_file(path, "FILE:earlier\r\n"));
  // Held open without sharing by another writer: neither append nor create works.
  WinHandle held(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  Tstring_writer journal;
  journal.add("FILE:x");
  EXPECT_FALSE(write_journal_file(journal, path));
  held.reset();
  EXPECT_EQ(read_file(path), "FILE:earlier\r\n");
  // This run did not write the file, so its journal must not claim it.
  EXPECT_EQ(read_records(journal), std::vector<std::string>{"FILE:x"});
}

TEST(WriteJournalFile, RefusesAPathWhoseRecordWouldBeCut) {
  TempDir tmp;
  ASSERT_LT(tmp.path().size(), 240u);
  std::string path = tmp.path() + "\\" + std::string(251 - tmp.path().size(), 'n');
  ASSERT_EQ(path.size(), 252u);
  Tstring_writer journal;
  journal.add("FILE:x");
  EXPECT_FALSE(write_journal_file(journal, path));
  EXPECT_FALSE(file_exists(path));
  EXPECT_EQ(read_records(journal), std::vector<std::string>{"FILE:x"});
}
