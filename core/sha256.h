#pragma once
// SHA-256, the digest no one can match with bytes of their own choosing: it
// ties each block of a data volume to the index setup.exe carries, and a
// file saved aside to the bytes it had. Uses the processor's SHA
// instructions where it has them (about ten times the portable speed; a
// 150 GB game is hashed at the disk's pace), the portable rounds elsewhere.

#include <array>
#include <cstddef>
#include <cstdint>

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  enum class Rounds { best, portable };

  explicit Sha256(Rounds rounds = Rounds::best);

  void update(const void* data, std::size_t size);
  // The digest of everything given since construction or the last finish;
  // starts a new one.
  Sha256Digest finish();

  // Whether this object hashes with the processor's SHA instructions.
  bool uses_cpu_instructions() const { return cpu_; }

 private:
  void reset();
  void compress(const std::uint8_t* blocks, std::size_t count);

  bool cpu_;
  std::uint32_t state_[8];
  std::uint64_t length_ = 0;  // bytes given
  std::uint8_t pending_[64];  // a block not yet full: length_ % 64 bytes
};

Sha256Digest sha256(const void* data, std::size_t size);
