#include "core/string_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> read_all(Tstring_reader& reader) {
  std::vector<std::string> out;
  std::string s;
  while (reader.read(s)) out.push_back(s);
  return out;
}

}  // namespace

TEST(StringWriter, StoresLengthPrefixedStringsBackToBack) {
  Tstring_writer w;
  w.add("DIR:C:\\a");
  w.add("");
  w.add("x");
  ASSERT_EQ(w.length(), 1 + 8 + 1 + 0 + 1 + 1);
  const std::uint8_t expected[] = {8, 'D', 'I', 'R', ':', 'C', ':', '\\', 'a', 0, 1, 'x'};
  EXPECT_EQ(std::vector<std::uint8_t>(w.data(), w.data() + w.length()),
            std::vector<std::uint8_t>(std::begin(expected), std::end(expected)));
  Tstring_reader r;
  r.attach(w);
  EXPECT_EQ(read_all(r), (std::vector<std::string>{"DIR:C:\\a", "", "x"}));
}

TEST(StringWriter, GrowsToTwiceTheNeededSizeAndKeepsEarlierRecords) {
  Tstring_writer w;
  EXPECT_EQ(w.capacity(), 10000);
  std::vector<std::string> added;
  // 39 records of 256 bytes fill 9,984 bytes; the next one needs 10,240.
  for (int i = 0; i < 39; ++i) {
    added.push_back(std::string(255, static_cast<char>('a' + i % 26)));
    w.add(added.back());
  }
  EXPECT_EQ(w.length(), 9984);
  EXPECT_EQ(w.capacity(), 10000);
  added.push_back("FILE:" + std::string(250, 'z'));
  w.add(added.back());
  EXPECT_EQ(w.length(), 10240);
  EXPECT_EQ(w.capacity(), 2 * 10240);
  for (int i = 0; i < 200; ++i) {
    added.push_back("DIR:" + std::to_string(i));
    w.add(added.back());
  }
  Tstring_reader r;
  r.attach(w);
  EXPECT_EQ(read_all(r), added);
}

TEST(StringWriter, ExactlyTheCapacityDoesNotGrow) {
  Tstring_writer w;
  // 39 x 256 + 16 = 10,000 bytes: needed equals capacity.
  for (int i = 0; i < 39; ++i) w.add(std::string(255, 'q'));
  w.add(std::string(15, 'r'));
  EXPECT_EQ(w.length(), 10000);
  EXPECT_EQ(w.capacity(), 10000);
  w.add("");
  EXPECT_EQ(w.capacity(), 2 * 10001);
}

TEST(StringWriter, CutsLongStringsAt255) {
  Tstring_writer w;
  w.add(std::string(255, 'x'));
  w.add("FILE:" + std::string(251, 'y'));
  Tstring_reader r;
  r.attach(w);
  const auto all = read_all(r);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], std::string(255, 'x'));
  EXPECT_EQ(all[1], "FILE:" + std::string(250, 'y'));
}

TEST(StringWriter, DoneThenInitGivesAnEmptyJournal) {
  Tstring_writer w;
  w.add("DIR:x");
  w.done();
  EXPECT_EQ(w.length(), 0);
  EXPECT_EQ(w.capacity(), 0);
  w.init();
  EXPECT_EQ(w.length(), 0);
  EXPECT_EQ(w.capacity(), 10000);
  w.add("FILE:y");
  Tstring_reader r;
  r.attach(w);
  EXPECT_EQ(read_all(r), std::vector<std::string>{"FILE:y"});
}

TEST(StringReader, StopsAtTruncatedString) {
  const std::uint8_t block[] = {2, 'a', 'b', 5, 'c', 'd'};
  Tstring_reader r(block, sizeof block);
  std::string s;
  ASSERT_TRUE(r.read(s));
  EXPECT_EQ(s, "ab");
  EXPECT_FALSE(r.read(s));
  EXPECT_EQ(s, "cd");  // what was there
  EXPECT_EQ(r.position(), 6);
  EXPECT_FALSE(r.read(s));
  EXPECT_EQ(s, "");
}

TEST(StringReader, EmptyAndZeroLengthBlocks) {
  Tstring_reader empty(nullptr, 0);
  std::string s = "old";
  EXPECT_FALSE(empty.read(s));
  EXPECT_EQ(s, "");

  const std::uint8_t zero[] = {0, 0};
  Tstring_reader r(zero, sizeof zero);
  EXPECT_TRUE(r.read(s));
  EXPECT_TRUE(r.read(s));
  EXPECT_FALSE(r.read(s));

  // A length byte as the very last byte: declared length runs past the end.
  const std::uint8_t lone[] = {3};
  Tstring_reader l(lone, sizeof lone);
  EXPECT_FALSE(l.read(s));
  EXPECT_EQ(s, "");
}

TEST(StringReader, SeesOnlyTheRecordsPresentWhenAttached) {
  Tstring_writer w;
  w.add("one");
  Tstring_reader r;
  r.attach(w);
  w.add("two");  // no growth: the buffer stays, but the reader's size does not
  EXPECT_EQ(read_all(r), std::vector<std::string>{"one"});
}
