// Times the payload digest check on a container file, the same call setup.exe
// makes on its resource. The file is read into memory first, so the figure is
// the digest alone, without disk or page-cache reads.
//
// usage: digest_speed CONTAINER [ROUNDS] [SEED]
// Prints one line: "<bytes> <best seconds> <MB/s> matches|differs".
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "payload/digest.h"
#include "bench/read_whole_file.h"
#include "payload/fileset.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: digest_speed CONTAINER [ROUNDS] [SEED]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const char* seed = argc > 3 ? argv[3] : code_seed;

  std::vector<std::uint8_t> bytes;
  if (!read_whole_file(argv[1], bytes)) {
    std::fprintf(stderr, "digest_speed: cannot read %s\n", argv[1]);
    return 1;
  }
  const auto view = FilesetView::open(bytes.data(), bytes.size());
  if (!view) {
    std::fprintf(stderr, "digest_speed: %s is not a container\n", argv[1]);
    return 1;
  }

  Tdigest checksum(seed);
  double best = 1e30;
  bool matches = false;
  for (int i = 0; i < (rounds > 0 ? rounds : 1); ++i) {
    const auto start = std::chrono::steady_clock::now();
    matches = checksum.verify_container(*view);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (took.count() < best) best = took.count();
  }
  std::printf("%zu %.4f %.1f %s\n", bytes.size(), best, double(bytes.size()) / best / 1e6,
              matches ? "matches" : "differs");
  return 0;
}
