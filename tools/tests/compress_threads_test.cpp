#include <gtest/gtest.h>

#include <cstdint>

#include "tools/mkfileset/compress_threads.h"

namespace {

constexpr std::uint64_t MiB = 1 << 20;
constexpr std::uint64_t GiB = MiB << 10;

TEST(CompressingThreads, OnePerCoreAsFarAsHalfTheMemoryGoes) {
  const struct {
    const char* what;
    unsigned cores;
    std::uint64_t memory, per_thread;
    unsigned threads;
  } cases[] = {
      {"level 3: every core", 16, 8 * GiB, 25 * MiB, 16},
      {"level 22 on a large machine", 16, 64 * GiB, 480 * MiB, 16},
      {"level 22, 8 GiB for 16 cores", 16, 8 * GiB, 480 * MiB, 8},
      {"less memory than one thread's share", 4, 512 * MiB, 480 * MiB, 1},
      {"memory not known", 4, 0, 480 * MiB, 4},
      {"cores not known", 0, 8 * GiB, 480 * MiB, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(compressing_threads(c.cores, c.memory, c.per_thread), c.threads) << c.what;
}

}  // namespace
