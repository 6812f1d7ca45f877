#pragma once
// The keyed digest of the payload container. A 256 x 16 mixing table is built
// once from the seed; every absorbed byte or 128-byte block is scrambled
// through an 8 x 16 work matrix and folded into the 16-byte running digest.
// The packer computes the stored digest with the same steps and seed; every
// step, including the block addressing, is part of the container format.

#include <cstdint>
#include <string>
#include <string_view>

#include "payload/fileset.h"

// The seed this build was configured with (64 uppercase hexadecimal digits).
extern const char code_seed[];

class Tdigest {
 public:
  explicit Tdigest(std::string_view seed) { build_table(seed); reset_digest(); }

  // Fills the table from the seed; only its characters 1 to 17 matter.
  void build_table(std::string_view seed);

  // Digest := 16 zero bytes, then one absorbed zero byte at position 0.
  void reset_digest();

  // Mixes length bytes at data into the digest; tag is added to every
  // position value. A length of 0 still performs the closing step.
  void absorb_region(const std::uint8_t* data, std::int32_t length, std::uint32_t tag);

  // absorb_region for a region whose bytes arrive piece by piece, so that a
  // large one need not be held in memory: the same digest as absorb_region
  // over all of them at once. Blocks overlap, so it keeps the last bytes of a
  // piece (fewer than 128) until the next one arrives.
  class RegionStream {
   public:
    RegionStream(Tdigest& checksum, std::int32_t length, std::uint32_t tag);
    void feed(const std::uint8_t* data, std::size_t size);
    // The closing step. False, and nothing absorbed, unless exactly length
    // bytes were fed.
    bool finish();

   private:
    Tdigest& checksum_;
    std::uint32_t tag_;
    std::uint64_t length_;
    std::uint64_t blocks_;
    std::uint64_t next_block_ = 0;
    std::uint64_t position_ = 0;     // bytes fed so far
    std::uint64_t carry_start_ = 0;  // region offset of carry_[0]
    std::uint8_t carry_[128] = {};   // bytes carry_start_ to position_ - 1
  };

  // The digest of a container's four regions.
  void digest_container(const FilesetView& fileset);
  // The first three (header, size table, names); the data block follows
  // through a RegionStream with fileset_tag_data.
  void digest_container_head(const FilesetView& fileset);
  // True exactly when the digest equals stored (all 16 bytes compared).
  bool matches(const Tcode& stored) const;
  // True exactly when the digest equals the stored one (all 16 bytes compared).
  bool verify_container(const FilesetView& fileset);

  const Tcode& digest() const { return digest_; }
  // The digest as 32 uppercase hexadecimal digits.
  std::string digest_hex() const;
  std::uint8_t table_entry(int row, int column) const { return code_table_[row][column]; }

 private:
  using Matrix = std::uint8_t[8][16];
  std::uint8_t seed_nibble(unsigned n) const;
  std::uint8_t mix3(unsigned a, unsigned b, unsigned c) const;
  void scramble(Matrix& m);
  void absorb_byte(std::uint8_t b, std::uint32_t v);
  void absorb_block(const std::uint8_t* p, std::uint32_t v);

  std::string seed_;
  std::uint8_t code_table_[256][16] = {};
  Tcode digest_ = {};
};
