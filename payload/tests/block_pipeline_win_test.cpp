#include "payload/block_pipeline_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/sha256.h"

namespace {

// Each block holds its own number, and blocks are of different sizes. The
// SHA-256 runs on the worker's thread as the volumes' check does: a thread
// of 32-bit Windows starts with a stack only 4-byte aligned.
MadeBlock numbered(std::uint64_t block, std::uint8_t* into) {
  MadeBlock made;
  made.size = 16 + block % 5;
  std::memset(into, 0, made.size);
  std::memcpy(into, &block, sizeof block);
  into[8] = sha256(into, 8)[0];
  return made;
}

std::uint64_t number_in(const BlockPipeline::Block& b) {
  std::uint64_t n = 0;
  std::memcpy(&n, b.data, sizeof n);
  return n;
}

// Blocks come in order whatever the number of workers and slots, also from
// a starting block other than 0 (a retry), and past the end is a problem.
TEST(BlockPipeline, BlocksComeInOrderWhateverTheWorkers) {
  struct Row {
    unsigned workers, slots;
  };
  for (const Row row : {Row{0, 1}, Row{1, 1}, Row{1, 3}, Row{2, 2}, Row{4, 2}, Row{3, 5}}) {
    SCOPED_TRACE(testing::Message() << row.workers << " workers, " << row.slots << " slots");
    BlockPipeline pipeline([](unsigned, std::uint64_t b, std::uint8_t* into) { return numbered(b, into); }, 7, 200,
                           64, row.workers, row.slots);
    ASSERT_TRUE(pipeline.ready());
    for (std::uint64_t expected = 7; expected < 200; ++expected) {
      const BlockPipeline::Block b = pipeline.next();
      ASSERT_TRUE(b.problem.ok());
      ASSERT_EQ(number_in(b), expected);
      ASSERT_EQ(b.size, 16 + expected % 5);
      ASSERT_EQ(b.data[8], sha256(b.data, 8)[0]);
    }
    EXPECT_FALSE(pipeline.next().problem.ok());
  }
}

// A block that fails ends the making: the blocks before it come whole, then
// its problem, then the same problem again; stopping early never hangs.
TEST(BlockPipeline, AFailedBlockEndsTheMakingAndStoppingEarlyIsClean) {
  for (const unsigned workers : {0u, 1u, 3u}) {
    SCOPED_TRACE(workers);
    BlockPipeline pipeline(
        [](unsigned, std::uint64_t b, std::uint8_t* into) {
          MadeBlock made = numbered(b, into);
          if (b == 10) made.problem = {VolumeFault::damaged, 2, "v-2.bin"};
          return made;
        },
        0, 1000, 64, workers, 2);
    for (std::uint64_t expected = 0; expected < 10; ++expected) ASSERT_EQ(number_in(pipeline.next()), expected);
    for (int again = 0; again < 2; ++again) {
      const BlockPipeline::Block failed = pipeline.next();
      EXPECT_EQ(failed.problem.fault, VolumeFault::damaged);
      EXPECT_EQ(failed.problem.path, "v-2.bin");
    }
  }
  // Destroyed with workers waiting for free slots.
  BlockPipeline idle([](unsigned, std::uint64_t b, std::uint8_t* into) { return numbered(b, into); }, 0, 1000, 64, 4,
                     2);
  EXPECT_EQ(number_in(idle.next()), 0u);
}

}  // namespace
