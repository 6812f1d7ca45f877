#pragma once
// Where a sample of a stream of bytes is taken: the stream cut into as many
// stretches of equal length as there are pieces, and one piece from the
// middle of each, so that every part of the stream is seen alike and the
// same stream always gives the same pieces. A stream no longer than the
// pieces together is taken whole, in pieces of that size.

#include <cstdint>
#include <vector>

struct SamplePiece {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;

  bool operator==(const SamplePiece& other) const { return offset == other.offset && size == other.size; }
};

// In order of offset, none overlapping. piece_size and max_pieces above 0,
// their product within 64 bits.
std::vector<SamplePiece> plan_sample(std::uint64_t total, std::uint64_t piece_size, std::uint32_t max_pieces);
