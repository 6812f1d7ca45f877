// The block decoder on frames written by hand, so that these run on both
// sides: under Wine they test the decoder that setup.exe links (zstd compiled
// from source for 32-bit Windows), whose 32-bit window limits differ.
#include <gtest/gtest.h>

#include <vector>

#include "payload/block_decoder.h"
#include "payload/tests/block_frames.h"

using namespace block_frames;

TEST(BlockDecoderFrames, DecodesRawAndRunBlocks) {
  const Bytes text = {'b', 'l', 'o', 'c', 'k'};
  struct Case {
    const char* what;
    Bytes frame;
    Bytes out;
  };
  const std::vector<Case> cases = {
      {"one raw block", raw_frame(0x00, text), text},
      {"an empty raw block", raw_frame(0x00, {}), {}},
      {"a run of 1000 bytes", frame_header(0x00) + rle_block('z', 1000), Bytes(1000, 'z')},
      {"raw, run, raw", frame_header(0x00) + raw_block(text, false) + rle_block(0, 3, false) + raw_block(text),
       text + Bytes(3, 0) + text},
  };
  BlockDecoder decoder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Decoded got = decode_guarded(decoder, c.frame, c.out.size());
    EXPECT_EQ(got.fault, BlockFault::none);
    EXPECT_TRUE(got.out == c.out);
  }
}

TEST(BlockDecoderFrames, RefusesAllButOneWholeFrameOfTheExpectedSize) {
  const Bytes text = {'b', 'l', 'o', 'c', 'k'};
  const Bytes frame = raw_frame(0x00, text);
  struct Case {
    const char* what;
    Bytes input;
    std::size_t expected;
    BlockFault fault;
  };
  const std::vector<Case> cases = {
      {"nothing", {}, 0, BlockFault::not_a_frame},
      {"part of the magic", cut(frame, 3), 0, BlockFault::not_a_frame},
      {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, 11, BlockFault::not_a_frame},
      {"a skippable frame", skippable_frame(text), 0, BlockFault::not_a_frame},
      {"a skippable frame before the frame", skippable_frame({}) + frame, 5, BlockFault::not_a_frame},
      {"a byte more expected", frame, 6, BlockFault::size_differs},
      {"a byte less expected", frame, 4, BlockFault::size_differs},
      {"a run longer than expected", frame_header(0x00) + rle_block('z', 1000), 999, BlockFault::size_differs},
      {"only the magic", cut(frame, 4), 5, BlockFault::corrupt},
      {"no block", frame_header(0x00), 0, BlockFault::corrupt},
      {"cut within the block header", cut(frame, 8), 5, BlockFault::corrupt},
      {"cut within the block", cut(frame, frame.size() - 1), 5, BlockFault::corrupt},
      {"no last block", frame_header(0x00) + raw_block(text, false), 5, BlockFault::corrupt},
      {"a block of the reserved type", frame_header(0x00) + block_header(3, 0, true), 0, BlockFault::corrupt},
      {"a byte after it", frame + Bytes{0}, 5, BlockFault::trailing_bytes},
      {"the frame twice", frame + frame, 5, BlockFault::trailing_bytes},
      {"the frame twice, both expected", frame + frame, 10, BlockFault::trailing_bytes},
      {"a skippable frame after it", frame + skippable_frame(text), 5, BlockFault::trailing_bytes},
  };
  BlockDecoder decoder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(decode_guarded(decoder, c.input, c.expected).fault, c.fault);
  }
}

TEST(BlockDecoderFrames, HoldTheWindowToTheLargestBlock) {
  const Bytes text = {'b', 'l', 'o', 'c', 'k'};
  struct Case {
    const char* what;
    Bytes frame;
    BlockFault fault;
  };
  const std::vector<Case> cases = {
      {"1 KiB, the smallest window", raw_frame(0x00, text), BlockFault::none},
      {"64 MiB, the largest block", raw_frame(16 << 3, text), BlockFault::none},
      {"64 MiB and an eighth", raw_frame(16 << 3 | 1, text), BlockFault::window_too_large},
      {"128 MiB", raw_frame(17 << 3, text), BlockFault::window_too_large},
      {"1 GiB, the most zstd decodes in a 32-bit program", raw_frame(20 << 3, text), BlockFault::window_too_large},
      {"2 GiB", raw_frame(21 << 3, text), BlockFault::window_too_large},
      {"a reserved header bit set", raw_frame(0x00, text, 0x08), BlockFault::corrupt},
      {"a dictionary needed", frame_header(0x00, 0x01) + Bytes{7} + raw_block(text), BlockFault::corrupt},
  };
  BlockDecoder decoder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Decoded got = decode_guarded(decoder, c.frame, text.size());
    EXPECT_EQ(got.fault, c.fault);
    if (c.fault == BlockFault::none) {
      EXPECT_TRUE(got.out == text);
    }
  }
}
