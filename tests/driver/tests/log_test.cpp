// Escaping of window texts and the log file.

#include <gtest/gtest.h>

#include "tests/driver/log.h"
#include "tests/support/win_fs.h"

namespace {

using driver::escape;
using driver::unescape;

TEST(Escape, WritesControlBytesAsEscapesAndKeeps1252Letters) {
  EXPECT_EQ(escape("f\xFCr\r\nzwei"), "f\xFCr\\r\\nzwei");
  EXPECT_EQ(escape("C:\\Spiele \"neu\"\t\x01\x7F"), "C:\\\\Spiele \\\"neu\\\"\\t\\x01\\x7F");
  EXPECT_EQ(escape(std::string("a\0b", 3)), "a\\x00b");
}

TEST(Escape, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const auto back = unescape(escape(all));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, all);
}

TEST(Escape, UnescapeRefusesWhatIsNotAnEscape) {
  EXPECT_FALSE(unescape("C:\\Games"));  // a lone backslash must be written twice
  EXPECT_FALSE(unescape("end\\"));
  EXPECT_FALSE(unescape("\\x4"));
  EXPECT_FALSE(unescape("\\xZZ"));
  EXPECT_EQ(unescape("\\x4a\\x4A"), "JJ");
  EXPECT_EQ(unescape(""), "");
}

TEST(Log, KeepsLinesAndWritesCrLfLinesWithTimes) {
  TempDir dir;
  const std::string path = dir / "log.txt";
  {
    driver::Log log;
    ASSERT_TRUE(log.open_file(path));
    log.write("first");
    log.write("zw\xF6lf");
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"first", "zw\xF6lf"}));
    EXPECT_NE(log.text().find("] zw\xF6lf\n"), std::string::npos);
  }

  const auto file = read_file(path);
  ASSERT_TRUE(file);
  // "[     0 ms] first\r\n[     0 ms] zwölf\r\n", times vary.
  const size_t first = file->find("] first\r\n");
  const size_t second = file->find("] zw\xF6lf\r\n");
  ASSERT_NE(first, std::string::npos) << *file;
  ASSERT_NE(second, std::string::npos) << *file;
  EXPECT_EQ(file->front(), '[');
  EXPECT_LT(first, second);
  EXPECT_EQ(file->find('\n'), file->find("\r\n") + 1);
}

TEST(Log, OpeningAFileTruncatesIt) {
  TempDir dir;
  const std::string path = dir / "log.txt";
  ASSERT_TRUE(write_file(path, "old contents that are longer\r\n"));
  {
    driver::Log log;
    ASSERT_TRUE(log.open_file(path));
    log.write("new");
  }
  const auto file = read_file(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->find("old"), std::string::npos) << *file;
}

TEST(Log, OpenFailsForAMissingFolder) {
  TempDir dir;
  driver::Log log;
  EXPECT_FALSE(log.open_file(dir / "missing\\log.txt"));
  log.write("still kept in memory");
  EXPECT_EQ(log.lines().size(), 1u);
}

}  // namespace
