// Times the block decoder on a file of zstd frames, one per block, as
// bench/decode-bench makes them: every block decoded by one thread, then by
// several, each thread with its own decoder and output buffer taking the next
// block. The frames are read into memory first (one allocation per block, which
// a 32-bit process finds room for more easily than one large one), so the
// figure is the decoding alone. With ORIGINAL, a first pass checks every
// decoded block against the same bytes of that file (XXH3-64).
//
// usage: decode_speed FRAMES [ORIGINAL] [--threads N] [--rounds R]
//   --threads N  the several threads (default: the processors, at most 4)
//   --rounds R   runs of each, taking turns; the best one counts (default 5)
// Prints "blocks <count> <decoded bytes> <frame bytes> <context bytes>", then
// per thread count "threads <n> <best seconds> <decoded MB/s>".
#include <zstd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "payload/block_decoder.h"
#include "payload/xxh3.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Block {
  Bytes frame;
  std::size_t size = 0;  // decoded
};

class File {
 public:
  explicit File(const char* path) : f_(std::fopen(path, "rb")) {}
  ~File() {
    if (f_) std::fclose(f_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  std::FILE* get() const { return f_; }

 private:
  std::FILE* f_;
};

// Cuts the file into its frames as it reads it. Empty on a read error, on
// bytes that are no whole frame, or on a frame that does not give its size.
std::vector<Block> read_frames(const char* path) {
  File file(path);
  if (!file.get()) return {};
  std::vector<Block> blocks;
  Bytes pending;
  bool at_end = false;
  while (!(at_end && pending.empty())) {
    const std::size_t length = ZSTD_findFrameCompressedSize(pending.data(), pending.size());
    if (!ZSTD_isError(length)) {
      Block block;
      block.frame.assign(pending.begin(), pending.begin() + std::ptrdiff_t(length));
      pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(length));
      const unsigned long long size = ZSTD_getFrameContentSize(block.frame.data(), block.frame.size());
      if (size == ZSTD_CONTENTSIZE_UNKNOWN || size == ZSTD_CONTENTSIZE_ERROR || size > SIZE_MAX) return {};
      block.size = std::size_t(size);
      blocks.push_back(std::move(block));
      continue;
    }
    if (at_end) return {};
    const std::size_t had = pending.size();
    pending.resize(had + (1 << 20));
    const std::size_t got = std::fread(pending.data() + had, 1, 1 << 20, file.get());
    pending.resize(had + got);
    if (got == 0) {
      if (std::ferror(file.get())) return {};
      at_end = true;
    }
  }
  return blocks;
}

std::size_t largest_block(const std::vector<Block>& blocks) {
  std::size_t largest = 0;
  for (const Block& b : blocks) largest = std::max(largest, b.size);
  return largest;
}

// Decodes every block once and compares it with the original's bytes.
bool check_against(const std::vector<Block>& blocks, const char* original) {
  File file(original);
  if (!file.get()) {
    std::fprintf(stderr, "decode_speed: cannot read %s\n", original);
    return false;
  }
  BlockDecoder decoder;
  Bytes decoded(largest_block(blocks)), expected(decoded.size());
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const Block& b = blocks[i];
    const BlockFault fault = decoder.decode(b.frame.data(), b.frame.size(), decoded.data(), b.size);
    if (fault != BlockFault::none) {
      std::fprintf(stderr, "decode_speed: block %zu refused: %s\n", i, block_fault_name(fault));
      return false;
    }
    if (std::fread(expected.data(), 1, b.size, file.get()) != b.size ||
        xxh3_64(decoded.data(), b.size) != xxh3_64(expected.data(), b.size)) {
      std::fprintf(stderr, "decode_speed: block %zu differs from %s\n", i, original);
      return false;
    }
  }
  if (std::fgetc(file.get()) != EOF) {
    std::fprintf(stderr, "decode_speed: %s is longer than the blocks\n", original);
    return false;
  }
  return true;
}

// A thread's decoder and output buffer, made and used once before any
// timing, so that the times hold neither allocations nor first touches.
struct Worker {
  BlockDecoder decoder;
  Bytes out;
};

std::vector<Worker> make_workers(const std::vector<Block>& blocks, unsigned count) {
  std::vector<Worker> workers(count);
  for (Worker& w : workers) {
    w.out.assign(largest_block(blocks), 0);
    w.decoder.decode(blocks[0].frame.data(), blocks[0].frame.size(), w.out.data(), blocks[0].size);
  }
  return workers;
}

// Seconds for the workers, a thread each, to decode every block; negative
// when one is refused.
double decode_all(const std::vector<Block>& blocks, std::vector<Worker>& workers) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> refused{false};
  auto work = [&](Worker& w) {
    for (std::size_t i = next++; i < blocks.size(); i = next++) {
      const Block& b = blocks[i];
      if (w.decoder.decode(b.frame.data(), b.frame.size(), w.out.data(), b.size) != BlockFault::none) refused = true;
    }
  };
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> threads;
  for (std::size_t t = 1; t < workers.size(); ++t) threads.emplace_back(work, std::ref(workers[t]));
  work(workers[0]);
  for (std::thread& t : threads) t.join();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return refused ? -1 : took.count();
}

}  // namespace

int main(int argc, char** argv) {
  const char* frames = nullptr;
  const char* original = nullptr;
  unsigned threads = std::min(4u, std::max(1u, std::thread::hardware_concurrency()));
  int rounds = 5;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--threads" && i + 1 < argc) {
      threads = unsigned(std::max(1, std::atoi(argv[++i])));
    } else if (arg == "--rounds" && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (!frames) {
      frames = argv[i];
    } else if (!original) {
      original = argv[i];
    } else {
      frames = nullptr;
      break;
    }
  }
  if (!frames) {
    std::fprintf(stderr, "usage: decode_speed FRAMES [ORIGINAL] [--threads N] [--rounds R]\n");
    return 2;
  }
  const std::vector<Block> blocks = read_frames(frames);
  if (blocks.empty()) {
    std::fprintf(stderr, "decode_speed: %s holds no whole frames that give their size\n", frames);
    return 1;
  }
  if (original && !check_against(blocks, original)) return 1;

  std::uint64_t decoded = 0, compressed = 0;
  for (const Block& b : blocks) {
    decoded += b.size;
    compressed += b.frame.size();
  }
  std::printf("blocks %zu %llu %llu %zu\n", blocks.size(), static_cast<unsigned long long>(decoded),
              static_cast<unsigned long long>(compressed), make_workers(blocks, 1)[0].decoder.memory_held());

  // The rounds of one thread and of several take turns, so that what else
  // the machine does meanwhile weighs on both alike.
  std::vector<unsigned> counts = {1};
  if (threads > 1) counts.push_back(threads);
  std::vector<std::vector<Worker>> workers;
  for (const unsigned n : counts) workers.push_back(make_workers(blocks, n));
  std::vector<double> best(counts.size(), 1e30);
  for (int r = 0; r < rounds; ++r) {
    for (std::size_t c = 0; c < counts.size(); ++c) {
      const double seconds = decode_all(blocks, workers[c]);
      if (seconds < 0) {
        std::fprintf(stderr, "decode_speed: a block was refused\n");
        return 1;
      }
      best[c] = std::min(best[c], seconds);
    }
  }
  for (std::size_t c = 0; c < counts.size(); ++c) {
    std::printf("threads %u %.4f %.1f\n", counts[c], best[c], double(decoded) / best[c] / 1e6);
  }
  return 0;
}
