// Times SHA-256 (core/sha256.h), with which setup.exe checks every block of
// its data volumes, over 256 MiB held in memory: with the processor's SHA
// instructions where it has them, and with the portable rounds.
//
// Built natively or with the cross compiler against the build's
// libsetup_portable.a, e.g.
//   i686-w64-mingw32-g++-posix -std=c++17 -O2 -static -I. bench/sha256_speed.cpp \
//     build/win32/libsetup_portable.a -o sha256_speed.exe && wine sha256_speed.exe
// Prints one line per kind of rounds: "<rounds> <MB/s>".
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/sha256.h"

namespace {

double megabytes_per_second(Sha256::Rounds rounds, const std::vector<std::uint8_t>& bytes) {
  double best = 1e9;
  for (int round = 0; round < 3; ++round) {
    const auto start = std::chrono::steady_clock::now();
    Sha256 hash(rounds);
    // In blocks of 4 MiB, as the volumes are checked.
    for (std::size_t at = 0; at < bytes.size(); at += 4 << 20) {
      hash.update(bytes.data() + at, 4 << 20);
      volatile std::uint8_t keep = hash.finish()[0];
      (void)keep;
    }
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return static_cast<double>(bytes.size()) / 1e6 / best;
}

}  // namespace

int main() {
  std::vector<std::uint8_t> bytes(std::size_t{256} << 20);
  std::uint32_t x = 1;
  for (auto& b : bytes) b = static_cast<std::uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
  const bool cpu = Sha256().uses_cpu_instructions();
  std::printf("%s %.0f\n", cpu ? "sha-instructions" : "portable(best)", megabytes_per_second(Sha256::Rounds::best, bytes));
  std::printf("portable %.0f\n", megabytes_per_second(Sha256::Rounds::portable, bytes));
  return 0;
}
