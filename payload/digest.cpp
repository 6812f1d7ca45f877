#include "payload/digest.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view digit_alphabet = "0123456789ABCDEF";

}  // namespace

std::uint8_t Tdigest::seed_nibble(unsigned n) const {
  const std::size_t position = n & 31;  // character number (n and 31) + 1, zero-based here
  if (position >= seed_.size()) return 255;
  const auto found = digit_alphabet.find(seed_[position]);
  return found == std::string_view::npos ? 255 : static_cast<std::uint8_t>(found);
}

void Tdigest::build_table(std::string_view seed) {
  seed_ = std::string(seed);
  for (unsigned i = 0; i < 256; ++i) {
    for (unsigned j = 0; j < 16; ++j) {
      const unsigned t = 16 * i + j;
      const unsigned hi = seed_nibble(t % 7) ^ seed_nibble(t % 10) ^ seed_nibble((t + 33) % 17);
      const unsigned lo = seed_nibble(t % 5) ^ seed_nibble(t % 17) ^ seed_nibble((t + 10) % 17);
      code_table_[i][j] = static_cast<std::uint8_t>(((hi & 15) << 4) | (lo & 15));
    }
  }
}

std::uint8_t Tdigest::mix3(unsigned a, unsigned b, unsigned c) const {
  const auto& t = code_table_;
  return static_cast<std::uint8_t>(t[a][b & 15] ^ t[b][c & 15] ^ t[c][a & 15] ^ t[a ^ b][c & 15] ^
                                   t[b ^ c][a & 15] ^ t[c ^ a][b & 15]);
}

void Tdigest::scramble(Matrix& m) {
  // Strictly in this order: each step sees the cells the steps before changed.
  for (unsigned k = 0; k < 16; ++k) {
    for (unsigned r = 0; r < 8; ++r) {
      const unsigned x = m[r][k];
      std::uint8_t& target = m[x & 7][x >> 4];
      target = mix3(k, r, target);
    }
  }
  for (unsigned k = 0; k < 16; ++k) {
    digest_[k] = static_cast<std::uint8_t>(digest_[k] ^ m[0][k] ^ m[1][k] ^ m[2][k] ^ m[3][k] ^ m[4][k] ^
                                           m[5][k] ^ m[6][k] ^ m[7][k]);
  }
}

void Tdigest::absorb_byte(std::uint8_t b, std::uint32_t v) {
  Matrix m;
  std::memcpy(m[0], code_table_[b], 16);
  std::memcpy(m[1], code_table_[v & 255], 16);
  std::memcpy(m[2], code_table_[(v >> 8) & 255], 16);
  std::memcpy(m[3], code_table_[(v >> 16) & 255], 16);
  std::memcpy(m[4], code_table_[v >> 24], 16);
  std::memcpy(m[5], digest_.data(), 16);
  for (unsigned k = 0; k < 16; ++k) m[6][k] = static_cast<std::uint8_t>(m[0][k] ^ m[1][k] ^ m[2][k] ^ m[3][k]);
  for (unsigned k = 0; k < 16; ++k)
    m[7][k] = static_cast<std::uint8_t>(m[0][k] ^ m[3][k] ^ m[4][k] ^ m[5][k] ^ m[6][k]);
  scramble(m);
}

void Tdigest::absorb_block(const std::uint8_t* p, std::uint32_t v) {
  Matrix m;
  std::memcpy(m, p, sizeof m);
  for (unsigned k = 0; k < 16; ++k) m[0][k] = static_cast<std::uint8_t>(m[0][k] ^ code_table_[digest_[k]][k]);
  // Row 1 is replaced, so the block's bytes 16 to 31 never count; only the
  // lowest byte of the position enters a block.
  for (unsigned k = 0; k < 16; ++k) m[1][k] = static_cast<std::uint8_t>(code_table_[v & 255][k] ^ m[4][k]);
  scramble(m);
}

void Tdigest::reset_digest() {
  digest_.fill(0);
  absorb_byte(0, 0);
}

void Tdigest::absorb_region(const std::uint8_t* data, std::int32_t length, std::uint32_t tag) {
  // No caller passes a negative length; it absorbs nothing but the closing byte.
  if (length < 0) length = 0;
  const std::int32_t blocks = length / 128;
  // Blocks advance by 32 bytes but span 128, so they overlap; the last one ends
  // at 32 * blocks + 96, inside the region.
  for (std::int32_t i = 0; i < blocks; ++i) {
    absorb_block(data + 32 * static_cast<std::size_t>(i), 128 * static_cast<std::uint32_t>(i) + tag);
  }
  for (std::int32_t j = 128 * blocks; j < length; ++j) {
    absorb_byte(data[j], static_cast<std::uint32_t>(j) + tag);
  }
  absorb_byte(0, tag);
}

Tdigest::RegionStream::RegionStream(Tdigest& checksum, std::int32_t length, std::uint32_t tag)
    : checksum_(checksum),
      tag_(tag),
      length_(length < 0 ? 0 : static_cast<std::uint64_t>(length)),
      blocks_(length_ / 128) {}

void Tdigest::RegionStream::feed(const std::uint8_t* data, std::size_t size) {
  const std::uint64_t end = position_ + size;
  // The byte at region offset k, whether it came with this piece or before.
  auto byte_at = [&](std::uint64_t k) { return k < position_ ? carry_[k - carry_start_] : data[k - position_]; };
  for (; next_block_ < blocks_ && 32 * next_block_ + 128 <= end; ++next_block_) {
    const std::uint64_t start = 32 * next_block_;
    const auto v = static_cast<std::uint32_t>(128 * next_block_) + tag_;
    if (start >= position_) {
      checksum_.absorb_block(data + (start - position_), v);
    } else {
      std::uint8_t block[128];
      for (std::uint64_t k = 0; k < 128; ++k) block[k] = byte_at(start + k);
      checksum_.absorb_block(block, v);
    }
  }
  // The tail starts at 128 * blocks, after the end of the last block.
  for (std::uint64_t j = std::max(position_, 128 * blocks_); j < end && j < length_; ++j)
    checksum_.absorb_byte(data[j - position_], static_cast<std::uint32_t>(j) + tag_);
  // What the next block needs of these bytes: fewer than 128 of them.
  if (next_block_ < blocks_) {
    const std::uint64_t keep = 32 * next_block_;
    std::uint8_t kept[128];
    for (std::uint64_t k = keep; k < end; ++k) kept[k - keep] = byte_at(k);
    std::memcpy(carry_, kept, static_cast<std::size_t>(end - keep));
    carry_start_ = keep;
  }
  position_ = end;
}

bool Tdigest::RegionStream::finish() {
  if (position_ != length_) return false;
  checksum_.absorb_byte(0, tag_);
  return true;
}

void Tdigest::digest_container_head(const FilesetView& fileset) {
  reset_digest();
  absorb_region(fileset.image(), 12, fileset_tag_header);
  absorb_region(fileset.size_table(), 4 * fileset.count(), fileset_tag_sizes);
  absorb_region(fileset.names_block(), fileset.names_length(), fileset_tag_names);
}

void Tdigest::digest_container(const FilesetView& fileset) {
  digest_container_head(fileset);
  absorb_region(fileset.data_block(), fileset.data_length(), fileset_tag_data);
}

bool Tdigest::verify_container(const FilesetView& fileset) {
  digest_container(fileset);
  return matches(fileset.stored_digest());
}

bool Tdigest::matches(const Tcode& stored) const {
  unsigned difference = 0;
  for (std::size_t k = 0; k < stored.size(); ++k) difference |= unsigned(stored[k] ^ digest_[k]);
  return difference == 0;
}

std::string Tdigest::digest_hex() const {
  std::string hex;
  hex.reserve(2 * digest_.size());
  for (const std::uint8_t byte : digest_) {
    hex += digit_alphabet[byte >> 4];
    hex += digit_alphabet[byte & 15];
  }
  return hex;
}
