#pragma once
// Whether the packer keeps a block compressed: only when zstd shrinks it by
// at least 1%. A block that shrinks less is stored as it is, as decoding it
// would cost the setup more than the bytes saved. The estimate counts its
// samples by the same rule.

#include <cstddef>

inline bool worth_compressing(std::size_t original, std::size_t compressed) {
  return compressed > 0 && compressed < original - original / 100;
}
