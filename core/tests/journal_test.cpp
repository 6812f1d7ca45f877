#include "core/journal.h"

#include <gtest/gtest.h>

TEST(CountRecords, CountsEachKindByItsPrefix) {
  Tstring_writer j;
  EXPECT_EQ(count_records(j).files, 0);
  j.add("DIR:C:\\g");
  j.add("C:\\g\\del_me_874bvgj345t87gd3z.txt");  // untagged: counts as nothing
  j.add("FILE:C:\\g\\a.txt");
  j.add("FILE:");
  j.add("RDIR:C:\\temp\\Installer_0000ABCD");
  j.add("APP:Quasarine_II__at__00");
  j.add("DIR");
  j.add("file:C:\\lower");  // prefixes are case-sensitive
  j.add("FILE");
  const auto c = count_records(j);
  EXPECT_EQ(c.files, 2);
  EXPECT_EQ(c.folders, 1);
  EXPECT_EQ(c.registrations, 1);
}

TEST(CountRecords, RdirAloneCountsNothing) {
  Tstring_writer j;
  j.add("RDIR:C:\\x");
  const auto c = count_records(j);
  EXPECT_EQ(c.files + c.folders + c.registrations, 0);
}

TEST(AddRecord, RefusesRecordsThatWouldBeCut) {
  Tstring_writer j;
  EXPECT_TRUE(add_record(j, record::file, std::string(250, 'p')));   // 255 in all
  EXPECT_FALSE(add_record(j, record::file, std::string(251, 'p')));  // 256: refused
  EXPECT_TRUE(add_record(j, record::dir, std::string(251, 'd')));
  const auto records = read_records(j);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], "FILE:" + std::string(250, 'p'));
  EXPECT_EQ(records[1], "DIR:" + std::string(251, 'd'));
}

TEST(HasPrefix, ComparesOnlyThePrefix) {
  EXPECT_TRUE(has_prefix("FILE:x", record::file));
  EXPECT_TRUE(has_prefix("FILE:", record::file));
  EXPECT_FALSE(has_prefix("FILE", record::file));
  EXPECT_FALSE(has_prefix("RDIR:x", record::dir));
}
