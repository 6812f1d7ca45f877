#pragma once
// Decodes one compressed block of the payload: a single zstd frame that holds
// exactly the bytes the caller expects, into the caller's buffer. Whatever
// the input, nothing outside the two buffers is read or written; the frame's
// own checksum is optional, since every block is checked by its caller.

#include <cstddef>
#include <cstdint>
#include <memory>

struct ZSTD_DCtx_s;

enum class BlockFault {
  none,
  not_a_frame,       // no zstd frame at the start (a skippable frame neither)
  trailing_bytes,    // bytes after the frame: another frame, or anything else
  size_differs,      // the frame holds more or fewer bytes than expected
  window_too_large,  // the frame asks for a window beyond the largest block
  corrupt,           // cut short, or its contents do not decode
  no_memory,         // the decoding context could not be allocated
};

const char* block_fault_name(BlockFault fault);

// One decoding context, made on the first block and reused for every later
// one: decoding allocates nothing after the first block. Not for use by two
// threads at once; a thread of its own needs a decoder of its own.
class BlockDecoder {
 public:
  BlockDecoder() = default;
  BlockDecoder(BlockDecoder&&) noexcept = default;
  BlockDecoder& operator=(BlockDecoder&&) noexcept = default;
  BlockDecoder(const BlockDecoder&) = delete;
  BlockDecoder& operator=(const BlockDecoder&) = delete;

  // Decodes frame (frame_size bytes, nothing else) into out, which must come
  // out exactly out_size bytes long. On a fault, out holds anything.
  BlockFault decode(const std::uint8_t* frame, std::size_t frame_size, std::uint8_t* out, std::size_t out_size);

  // Bytes the context holds (0 before the first block); the same for blocks
  // of any size, since a frame is decoded straight into the caller's buffer.
  std::size_t memory_held() const;

 private:
  struct FreeContext {
    void operator()(ZSTD_DCtx_s* context) const;
  };
  std::unique_ptr<ZSTD_DCtx_s, FreeContext> context_;
};
