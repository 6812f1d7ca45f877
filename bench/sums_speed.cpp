// Times the checksum check on a container and its checksum file, the same
// call setup.exe makes on its resources at start-up (every byte hashed with
// XXH3-64). Both files are read into memory first, so the figure is the
// check alone, without disk or page-cache reads.
//
// usage: sums_speed CONTAINER SUMS [ROUNDS]
// Prints one line: "<bytes> <best seconds> <MB/s> ok|refused".
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/read_whole_file.h"
#include "payload/fileset.h"
#include "payload/fileset_sums.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: sums_speed CONTAINER SUMS [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  std::vector<std::uint8_t> container;
  std::vector<std::uint8_t> sums_bytes;
  if (!read_whole_file(argv[1], container) || !read_whole_file(argv[2], sums_bytes)) {
    std::fprintf(stderr, "sums_speed: cannot read %s or %s\n", argv[1], argv[2]);
    return 1;
  }
  const auto view = FilesetView::open(container.data(), container.size());
  const auto sums = FilesetSums::open(sums_bytes.data(), sums_bytes.size());
  if (!view || !sums) {
    std::fprintf(stderr, "sums_speed: %s is not a container or %s no checksum file\n", argv[1], argv[2]);
    return 1;
  }

  double best = 1e30;
  bool ok = false;
  for (int i = 0; i < (rounds > 0 ? rounds : 1); ++i) {
    const auto start = std::chrono::steady_clock::now();
    ok = check_fileset_sums(*view, *sums).ok();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (took.count() < best) best = took.count();
  }
  std::printf("%zu %.4f %.1f %s\n", container.size(), best, double(container.size()) / best / 1e6,
              ok ? "ok" : "refused");
  return 0;
}
