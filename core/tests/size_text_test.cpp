#include "core/size_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr std::uint64_t mib = 1024 * 1024;
constexpr std::uint64_t gib = 1024 * mib;

}  // namespace

TEST(SizeText, ThreeDigitsInTheUnitWindowsShowsGermanWithADecimalComma) {
  struct Row {
    std::uint64_t bytes;
    const char* english;
    const char* german;
  };
  const Row rows[] = {
      {0, "0.00 MB", "0,00 MB"},
      {300 * 1024, "0.29 MB", "0,29 MB"},
      {mib, "1.00 MB", "1,00 MB"},
      {mib + mib / 2, "1.50 MB", "1,50 MB"},
      {static_cast<std::uint64_t>(15.2 * mib), "15.2 MB", "15,2 MB"},
      {152 * mib, "152 MB", "152 MB"},
      {1000 * mib, "0.98 GB", "0,98 GB"},  // never "1000 MB"
      {gib - 1, "1.00 GB", "1,00 GB"},
      {20 * gib, "20.0 GB", "20,0 GB"},
      {150 * gib + 300 * mib, "150 GB", "150 GB"},
      {64 * gib + 1, "64.0 GB", "64,0 GB"},
      {5 * 1024 * gib, "5.00 TB", "5,00 TB"},
      {std::numeric_limits<std::uint64_t>::max(), "16777216 TB", "16777216 TB"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(size_text(r.bytes, false), r.english) << r.bytes;
    EXPECT_EQ(size_text(r.bytes, true), r.german) << r.bytes;
  }
}

// What is needed and what is free never read alike, however close.
TEST(SizeText, TwoSizesAreShownApart) {
  struct Row {
    std::uint64_t a, b;
    bool german;
    const char* first;
    const char* second;
  };
  const Row rows[] = {
      {5 * mib, mib, false, "5.00 MB", "1.00 MB"},
      {mib + 2048, mib, false, "1.002 MB", "1.000 MB"},
      {mib + 2048, mib, true, "1,002 MB", "1,000 MB"},
      {mib + 24, mib, false, "1.00002 MB", "1.00000 MB"},
      {mib + 1, mib, false, "1048577 bytes", "1048576 bytes"},
      {mib + 1, mib, true, "1048577 Bytes", "1048576 Bytes"},
      {mib, mib, false, "1.00 MB", "1.00 MB"},
  };
  for (const Row& r : rows) {
    const auto texts = size_texts_apart(r.a, r.b, r.german);
    EXPECT_EQ(texts.first, r.first) << r.a << " " << r.b;
    EXPECT_EQ(texts.second, r.second) << r.a << " " << r.b;
  }
}
