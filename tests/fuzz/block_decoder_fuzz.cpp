// libFuzzer target: the block decoder on arbitrary bytes. The input is the
// frame; the size expected is the one its header declares, or for a frame
// that declares none, the most it could decode to (at most 1 MiB either way).
// The output buffer is an allocation of exactly that size, so AddressSanitizer
// sees any write or read outside it, and zstd is built from the same sources
// as setup.exe's, instrumented too.
//
// Beyond that: a block it accepts is exactly one frame, decodes the same
// again, and is refused when a byte more or a byte less is expected.
#define ZSTD_STATIC_LINKING_ONLY  // ZSTD_decompressBound
#include <zstd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "payload/block_decoder.h"

namespace {

constexpr std::size_t largest_output = 1 << 20;

std::size_t expected_size(const std::uint8_t* data, std::size_t size) {
  unsigned long long declared = ZSTD_getFrameContentSize(data, size);
  if (declared == ZSTD_CONTENTSIZE_UNKNOWN || declared == ZSTD_CONTENTSIZE_ERROR) {
    declared = ZSTD_decompressBound(data, size);
    if (declared == ZSTD_CONTENTSIZE_ERROR) declared = size;
  }
  return declared < largest_output ? std::size_t(declared) : largest_output;
}

BlockFault decode_exact(BlockDecoder& decoder, const std::uint8_t* data, std::size_t size, std::size_t out_size,
                        std::unique_ptr<std::uint8_t[]>& out) {
  out.reset(new std::uint8_t[out_size ? out_size : 1]);
  return decoder.decode(data, size, out.get(), out_size);
}

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input in an allocation of its own size: a read past it is a read past a heap block.
  std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[size ? size : 1]);
  if (size > 0) std::memcpy(frame.get(), data, size);

  static BlockDecoder decoder;  // reused, as setup.exe reuses one per thread
  const std::size_t expected = expected_size(frame.get(), size);
  std::unique_ptr<std::uint8_t[]> first;
  if (decode_exact(decoder, frame.get(), size, expected, first) != BlockFault::none) return 0;

  require(ZSTD_findFrameCompressedSize(frame.get(), size) == size);
  BlockDecoder fresh;
  std::unique_ptr<std::uint8_t[]> again;
  require(decode_exact(fresh, frame.get(), size, expected, again) == BlockFault::none);
  require(expected == 0 || std::memcmp(first.get(), again.get(), expected) == 0);
  require(decode_exact(decoder, frame.get(), size, expected + 1, again) == BlockFault::size_differs);
  if (expected > 0) require(decode_exact(decoder, frame.get(), size, expected - 1, again) == BlockFault::size_differs);
  return 0;
}
