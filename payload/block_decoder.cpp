#include "payload/block_decoder.h"

// ZSTD_getFrameHeader tells the frame's window and type before any decoding.
// The static API is safe here: the decoder is always this header's own version
// (Debian's libzstd on the host, its source package in the Windows builds).
#define ZSTD_STATIC_LINKING_ONLY
#include <zstd.h>
#include <zstd_errors.h>

#include "payload/volume_format.h"

namespace {

constexpr int log2_of(std::uint64_t value) {
  int log = 0;
  while (value > 1) {
    value >>= 1;
    ++log;
  }
  return log;
}

// The packer writes a block as one frame with its content size, which zstd
// makes a single segment: its window is the block itself. No frame of ours
// needs a window beyond the largest block.
constexpr std::uint64_t max_window_size = largest_block_size;
constexpr int max_window_log = log2_of(max_window_size);
static_assert(std::uint64_t{1} << max_window_log == max_window_size, "the largest block is a power of two");
static_assert(max_window_log >= ZSTD_WINDOWLOG_MIN && max_window_log <= ZSTD_WINDOWLOG_MAX_32,
              "a window zstd accepts on 32-bit Windows too");

bool starts_with_frame_magic(const std::uint8_t* bytes, std::size_t size) {
  if (size < 4) return false;
  const std::uint32_t magic = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                              std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
  return magic == ZSTD_MAGICNUMBER;
}

BlockFault fault_of(std::size_t zstd_error) {
  switch (ZSTD_getErrorCode(zstd_error)) {
    case ZSTD_error_dstSize_tooSmall:
      return BlockFault::size_differs;
    case ZSTD_error_frameParameter_windowTooLarge:
      return BlockFault::window_too_large;
    case ZSTD_error_memory_allocation:
      return BlockFault::no_memory;
    default:
      return BlockFault::corrupt;
  }
}

}  // namespace

const char* block_fault_name(BlockFault fault) {
  switch (fault) {
    case BlockFault::none: return "none";
    case BlockFault::not_a_frame: return "not a frame";
    case BlockFault::trailing_bytes: return "trailing bytes";
    case BlockFault::size_differs: return "size differs";
    case BlockFault::window_too_large: return "window too large";
    case BlockFault::corrupt: return "corrupt";
    case BlockFault::no_memory: return "no memory";
  }
  return "?";
}

void BlockDecoder::FreeContext::operator()(ZSTD_DCtx_s* context) const { ZSTD_freeDCtx(context); }

BlockFault BlockDecoder::decode(const std::uint8_t* frame, std::size_t frame_size, std::uint8_t* out,
                                std::size_t out_size) {
  // A skippable frame decodes to nothing without complaint: refused here.
  if (!starts_with_frame_magic(frame, frame_size)) return BlockFault::not_a_frame;
  ZSTD_frameHeader header;
  const std::size_t header_size = ZSTD_getFrameHeader(&header, frame, frame_size);
  if (ZSTD_isError(header_size)) return fault_of(header_size);
  if (header_size > 0) return BlockFault::corrupt;  // cut short within its header
  // Decoding in one call writes straight into out and checks no window: the
  // bound is kept here.
  if (header.windowSize > max_window_size) return BlockFault::window_too_large;
  if (header.frameContentSize != ZSTD_CONTENTSIZE_UNKNOWN && header.frameContentSize != out_size) {
    return BlockFault::size_differs;
  }
  // The one-call decoder would go on through further frames, skippable ones
  // included.
  const std::size_t length = ZSTD_findFrameCompressedSize(frame, frame_size);
  if (ZSTD_isError(length)) return BlockFault::corrupt;
  if (length != frame_size) return BlockFault::trailing_bytes;

  if (!context_) {
    context_.reset(ZSTD_createDCtx());
    if (!context_) return BlockFault::no_memory;
    // Holds for streamed frames too, should the context ever decode one.
    ZSTD_DCtx_setParameter(context_.get(), ZSTD_d_windowLogMax, max_window_log);
  }
  const std::size_t written = ZSTD_decompressDCtx(context_.get(), out, out_size, frame, frame_size);
  if (ZSTD_isError(written)) return fault_of(written);
  return written == out_size ? BlockFault::none : BlockFault::size_differs;
}

std::size_t BlockDecoder::memory_held() const { return context_ ? ZSTD_sizeof_DCtx(context_.get()) : 0; }
