#pragma once
// XXH3-64, the checksum of the payload's files and metadata (Debian's
// libxxhash; its header is compiled into payload/xxh3.cpp alone). A fast,
// non-cryptographic hash: it finds damage, not deliberate changes.

#include <cstddef>
#include <cstdint>

std::uint64_t xxh3_64(const void* data, std::size_t size);

// The same checksum over bytes that arrive piece by piece. Holds the hash
// state itself: nothing is allocated.
class alignas(64) Xxh3Stream {
 public:
  Xxh3Stream() { reset(); }
  Xxh3Stream(const Xxh3Stream&) = delete;
  Xxh3Stream& operator=(const Xxh3Stream&) = delete;

  // Starts a new checksum.
  void reset();
  void update(const void* data, std::size_t size);
  // The checksum of everything given since reset().
  std::uint64_t digest() const;

  static constexpr std::size_t state_size = 640;

 private:
  unsigned char state_[state_size];
};
