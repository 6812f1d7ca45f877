#include "tools/mkfileset/sample_plan.h"

#include <algorithm>

std::vector<SamplePiece> plan_sample(std::uint64_t total, std::uint64_t piece_size, std::uint32_t max_pieces) {
  std::vector<SamplePiece> pieces;
  if (total <= piece_size * max_pieces) {
    for (std::uint64_t at = 0; at < total; at += piece_size) pieces.push_back({at, std::min(piece_size, total - at)});
    return pieces;
  }
  // Each stretch is at least piece_size long here. Its start, i * total /
  // max_pieces, is taken apart so that no product can overflow.
  const auto stretch_start = [&](std::uint64_t i) {
    return (total / max_pieces) * i + (total % max_pieces) * i / max_pieces;
  };
  for (std::uint32_t i = 0; i < max_pieces; ++i) {
    const std::uint64_t begin = stretch_start(i);
    const std::uint64_t end = stretch_start(i + 1);
    pieces.push_back({begin + (end - begin - piece_size) / 2, piece_size});
  }
  return pieces;
}
