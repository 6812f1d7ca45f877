#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/mkfileset/sample_plan.h"

namespace {

constexpr std::uint64_t MiB = 1 << 20;

struct PlanCase {
  const char* what;
  std::uint64_t total;
  std::uint64_t piece;
  std::uint32_t max;
  std::size_t pieces;       // how many the plan has
  std::uint64_t sampled;    // their bytes together
};

// Whatever the stream: the pieces lie inside it, in order, apart; a sampled
// stream gives each of its equal stretches one whole piece in its middle.
TEST(SamplePlan, SpreadsWholePiecesOverTheStream) {
  const PlanCase cases[] = {
      {"empty stream", 0, MiB, 64, 0, 0},
      {"shorter than one piece", 1000, MiB, 64, 1, 1000},
      {"whole pieces and a rest", 5 * MiB + 7, MiB, 64, 6, 5 * MiB + 7},
      {"exactly all the pieces", 64 * MiB, MiB, 64, 64, 64 * MiB},
      {"one byte more than all the pieces", 64 * MiB + 1, MiB, 64, 64, 64 * MiB},
      {"100 GiB", 100ull << 30, MiB, 64, 64, 64 * MiB},
      {"stretches of uneven length", 1000003, 1000, 7, 7, 7000},
      {"near the end of 64 bits", UINT64_MAX - 12345, MiB, 64, 64, 64 * MiB},
  };
  for (const PlanCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<SamplePiece> plan = plan_sample(c.total, c.piece, c.max);
    ASSERT_EQ(plan.size(), c.pieces);
    std::uint64_t sampled = 0, end = 0;
    for (std::size_t i = 0; i < plan.size(); ++i) {
      EXPECT_GE(plan[i].offset, end) << "piece " << i << " overlaps the one before";
      EXPECT_GT(plan[i].size, 0u);
      EXPECT_LE(plan[i].size, c.piece);
      EXPECT_LE(plan[i].size, c.total - plan[i].offset) << "piece " << i << " runs past the end";
      end = plan[i].offset + plan[i].size;
      sampled += plan[i].size;
    }
    EXPECT_EQ(sampled, c.sampled);
    if (c.sampled == c.total) continue;
    // Sampled: piece i in the middle of stretch i, whose ends are i * total / max.
    // Within rounding, and within what a double holds near 2^64.
    const long double stretch = static_cast<long double>(c.total) / c.max;
    const double tolerance = 2.0 + static_cast<double>(c.total) * 1e-12;
    for (std::size_t i = 0; i < plan.size(); ++i) {
      const long double middle = plan[i].offset + plan[i].size / 2.0L;
      EXPECT_NEAR(static_cast<double>(middle), static_cast<double>(stretch * (i + 0.5L)), tolerance) << "piece " << i;
    }
  }
}

}  // namespace
