// The block decoder on frames of libzstd's encoder, which only the host has;
// block_decoder_frames_test.cpp has those written by hand.
#include "payload/block_decoder.h"

#include <gtest/gtest.h>
#include <zstd.h>

#include <memory>
#include <random>
#include <vector>

#include "payload/tests/block_frames.h"

using namespace block_frames;

namespace {

enum class Kind { text, random, zeros };

// Compressible text with runs of random bytes between, as game data mixes
// compressed and plain assets.
Bytes sample(std::size_t size, Kind kind, unsigned seed = 1) {
  Bytes bytes(size);
  std::mt19937 random(seed);
  if (kind == Kind::zeros) return bytes;
  static const char* const words[] = {"track ", "kart ", "texture ", "sound ", "level ", "\n", "0.25 ", "mesh "};
  for (std::size_t at = 0; at < size;) {
    if (kind == Kind::random || random() % 16 == 0) {
      const std::size_t run = kind == Kind::random ? size : 1 + random() % 300;
      for (std::size_t i = 0; i < run && at < size; ++i) bytes[at++] = static_cast<std::uint8_t>(random());
    } else {
      for (const char* w = words[random() % 8]; *w && at < size; ++w) bytes[at++] = static_cast<std::uint8_t>(*w);
    }
  }
  return bytes;
}

struct Encoding {
  int level = 3;
  bool content_size = true;
  bool checksum = false;
};

Bytes compress(const Bytes& data, Encoding how = {}) {
  const std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> context(ZSTD_createCCtx(), ZSTD_freeCCtx);
  ZSTD_CCtx_setParameter(context.get(), ZSTD_c_compressionLevel, how.level);
  ZSTD_CCtx_setParameter(context.get(), ZSTD_c_contentSizeFlag, how.content_size);
  ZSTD_CCtx_setParameter(context.get(), ZSTD_c_checksumFlag, how.checksum);
  Bytes frame(ZSTD_compressBound(data.size()));
  const std::size_t size = ZSTD_compress2(context.get(), frame.data(), frame.size(), data.data(), data.size());
  EXPECT_FALSE(ZSTD_isError(size)) << ZSTD_getErrorName(size);
  frame.resize(ZSTD_isError(size) ? 0 : size);
  return frame;
}

}  // namespace

TEST(BlockDecoder, DecodesFramesOfEverySizeAndLevelWithOneContext) {
  struct Case {
    const char* what;
    std::size_t size;
    Kind kind;
    Encoding how;
  };
  const std::vector<Case> cases = {
      {"one byte", 1, Kind::text, {1}},
      {"a few hundred bytes, checksum on", 300, Kind::text, {3, true, true}},
      {"just over one zstd block", 128 * 1024 + 1, Kind::text, {3}},
      {"incompressible: raw blocks", 200 * 1024, Kind::random, {3}},
      {"zeros: RLE blocks", 1 << 20, Kind::zeros, {3}},
      {"level 19", 1 << 20, Kind::text, {19}},
      {"fastest level", 1 << 20, Kind::text, {-5}},
      {"no content size in the header", 300 * 1024, Kind::text, {3, false}},
      {"a volume block of 4 MiB, then a smaller one with the same context", 4 << 20, Kind::text, {1}},
      {"a small one after it", 5000, Kind::text, {6}},
  };
  BlockDecoder decoder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes data = sample(c.size, c.kind);
    const Decoded got = decode_guarded(decoder, compress(data, c.how), data.size());
    EXPECT_EQ(got.fault, BlockFault::none);
    EXPECT_TRUE(got.out == data);
  }
}

TEST(BlockDecoder, AnEmptyBlockIsAFrameOfNothing) {
  BlockDecoder decoder;
  const Bytes frame = compress({});
  EXPECT_EQ(decoder.decode(frame.data(), frame.size(), nullptr, 0), BlockFault::none);
  const std::uint8_t one = 1;
  EXPECT_EQ(decoder.decode(frame.data(), frame.size(), const_cast<std::uint8_t*>(&one), 1), BlockFault::size_differs);
}

TEST(BlockDecoder, RefusesWhatIsNotExactlyOneFrameOfTheExpectedSize) {
  const Bytes data = sample(70000, Kind::text);
  const Bytes frame = compress(data);
  const Bytes unsized = compress(data, {3, false});
  const Bytes other = compress(sample(500, Kind::text, 2));
  struct Case {
    const char* what;
    Bytes input;
    std::size_t expected;
    BlockFault fault;
  };
  const std::vector<Case> cases = {
      {"part of the magic", cut(frame, 3), 0, BlockFault::not_a_frame},
      {"random bytes", sample(4096, Kind::random), 4096, BlockFault::not_a_frame},
      {"a skippable frame before the frame", skippable_frame({1, 2, 3}) + frame, data.size(), BlockFault::not_a_frame},
      {"expecting a byte more", frame, data.size() + 1, BlockFault::size_differs},
      {"expecting a byte less", frame, data.size() - 1, BlockFault::size_differs},
      {"expecting a byte more, no content size", unsized, data.size() + 1, BlockFault::size_differs},
      {"expecting a byte less, no content size", unsized, data.size() - 1, BlockFault::size_differs},
      {"expecting nothing", frame, 0, BlockFault::size_differs},
      {"cut within the header", cut(frame, 5), data.size(), BlockFault::corrupt},
      {"cut by one byte", cut(frame, frame.size() - 1), data.size(), BlockFault::corrupt},
      {"cut in half", cut(frame, frame.size() / 2), data.size(), BlockFault::corrupt},
      {"cut by one byte, no content size", cut(unsized, unsized.size() - 1), data.size(), BlockFault::corrupt},
      {"garbage after it", frame + sample(100, Kind::random), data.size(), BlockFault::trailing_bytes},
      {"a second frame", frame + other, data.size(), BlockFault::trailing_bytes},
      {"a second frame, expecting both", frame + other, data.size() + 500, BlockFault::size_differs},
      {"a skippable frame after it", frame + skippable_frame({}), data.size(), BlockFault::trailing_bytes},
  };
  BlockDecoder decoder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(decode_guarded(decoder, c.input, c.expected).fault, c.fault);
  }
  // Refusals leave the context usable.
  const Decoded got = decode_guarded(decoder, frame, data.size());
  EXPECT_EQ(got.fault, BlockFault::none);
  EXPECT_TRUE(got.out == data);
}

TEST(BlockDecoder, ChecksTheFramesOwnChecksumWhenItHasOne) {
  const Bytes data = sample(10000, Kind::text);
  Bytes frame = compress(data, {3, true, true});
  frame.back() ^= 1;
  BlockDecoder decoder;
  EXPECT_EQ(decode_guarded(decoder, frame, data.size()).fault, BlockFault::corrupt);
}

// Without the frame checksum, damage can decode: to other bytes, or even to
// the same ones (a changed match offset that points at equal bytes). Either
// way it stays inside the buffer, and the caller's checksum decides.
TEST(BlockDecoder, AFlippedByteIsRefusedOrDecodesWithinTheBuffer) {
  for (const int level : {1, 19}) {
    SCOPED_TRACE(level);
    const Bytes data = sample(20000, Kind::text, 7);
    const Bytes frame = compress(data, {level});
    BlockDecoder decoder;
    int refused = 0, changed = 0;
    for (std::size_t at = 0; at < frame.size(); ++at) {
      for (const std::uint8_t mask : {0x01, 0x80, 0xFF}) {
        Bytes damaged = frame;
        damaged[at] ^= mask;
        const Decoded got = decode_guarded(decoder, damaged, data.size());
        if (got.fault != BlockFault::none) {
          ++refused;
        } else if (got.out != data) {
          ++changed;
        }
      }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(changed, 0);
  }
}

TEST(BlockDecoder, ArbitraryBytesAfterAFrameHeaderStayInsideTheBuffers) {
  BlockDecoder decoder;
  std::mt19937 random(5);
  for (int i = 0; i < 2000; ++i) {
    const Bytes header = {0x28, 0xB5, 0x2F, 0xFD, static_cast<std::uint8_t>(random() & 0xE7)};
    const Bytes input = header + sample(random() % 600, Kind::random, unsigned(i));
    decode_guarded(decoder, input, random() % 4096);
  }
}

TEST(BlockDecoder, ItsMemoryDoesNotGrowWithTheBlocks) {
  BlockDecoder decoder;
  EXPECT_EQ(decoder.memory_held(), 0u);
  const Bytes small = sample(1000, Kind::text);
  ASSERT_EQ(decode_guarded(decoder, compress(small), small.size()).fault, BlockFault::none);
  const std::size_t held = decoder.memory_held();
  EXPECT_GT(held, 0u);
  EXPECT_LT(held, 512u * 1024);
  const Bytes large = sample(16 << 20, Kind::text);
  ASSERT_EQ(decode_guarded(decoder, compress(large, {1}), large.size()).fault, BlockFault::none);
  EXPECT_EQ(decoder.memory_held(), held);
}
