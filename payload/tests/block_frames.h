#pragma once
// Helpers of the block decoder's tests: frames written by hand, and decoding
// between guard bytes.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <vector>

#include "payload/block_decoder.h"

namespace block_frames {

using Bytes = std::vector<std::uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline Bytes cut(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

// A frame with no content size: the window its descriptor gives (log 10 +
// exponent in bits 7-3, plus mantissa eighths in bits 2-0), then blocks
// (raw_block, rle_block).
inline Bytes frame_header(std::uint8_t window_descriptor, std::uint8_t descriptor_flags = 0) {
  return {0x28, 0xB5, 0x2F, 0xFD, descriptor_flags, window_descriptor};
}

inline Bytes block_header(std::uint32_t type, std::uint32_t size, bool last) {
  const std::uint32_t header = std::uint32_t(last) | type << 1 | size << 3;
  return {static_cast<std::uint8_t>(header), static_cast<std::uint8_t>(header >> 8),
          static_cast<std::uint8_t>(header >> 16)};
}

inline Bytes raw_block(const Bytes& contents, bool last = true) {
  return block_header(0, std::uint32_t(contents.size()), last) + contents;
}

inline Bytes rle_block(std::uint8_t byte, std::uint32_t count, bool last = true) {
  return block_header(1, count, last) + Bytes{byte};
}

inline Bytes raw_frame(std::uint8_t window_descriptor, const Bytes& contents, std::uint8_t descriptor_flags = 0) {
  return frame_header(window_descriptor, descriptor_flags) + raw_block(contents);
}

inline Bytes skippable_frame(const Bytes& contents) {
  Bytes frame = {0x50, 0x2A, 0x4D, 0x18};
  for (int i = 0; i < 4; ++i) frame.push_back(static_cast<std::uint8_t>(contents.size() >> (8 * i)));
  return frame + contents;
}

struct Decoded {
  BlockFault fault;
  Bytes out;
};

// Decodes into a buffer of exactly out_size bytes between guard bytes that
// must come out untouched; the frame lies in an allocation of its own size.
inline Decoded decode_guarded(BlockDecoder& decoder, const Bytes& frame, std::size_t out_size) {
  constexpr std::size_t guard = 64;
  Bytes space(out_size + 2 * guard, 0xA5);
  std::unique_ptr<std::uint8_t[]> input(new std::uint8_t[frame.size() + 1]);
  if (!frame.empty()) std::memcpy(input.get(), frame.data(), frame.size());
  const BlockFault fault = decoder.decode(input.get(), frame.size(), space.data() + guard, out_size);
  for (std::size_t i = 0; i < guard; ++i) {
    EXPECT_EQ(space[i], 0xA5) << "written before the buffer";
    EXPECT_EQ(space[guard + out_size + i], 0xA5) << "written after the buffer";
  }
  return {fault, Bytes(space.begin() + std::ptrdiff_t(guard), space.end() - std::ptrdiff_t(guard))};
}

}  // namespace block_frames

inline void PrintTo(BlockFault fault, std::ostream* os) { *os << block_fault_name(fault); }
