#pragma once
// How many blocks the packer compresses at once: one per core, but no more
// than half the machine's memory holds. At level 22 one thread takes about
// 480 MiB (its zstd context and three blocks of 32 MiB), so a build machine
// of many cores and little memory would otherwise run out of it. memory 0:
// not known, one per core.

#include <algorithm>
#include <cstdint>

inline unsigned compressing_threads(unsigned cores, std::uint64_t memory, std::uint64_t per_thread) {
  const std::uint64_t fit = per_thread == 0 || memory == 0 ? cores : memory / 2 / per_thread;
  return static_cast<unsigned>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(std::max(cores, 1u), fit)));
}
