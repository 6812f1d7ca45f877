#pragma once
// Blocks of the payload made ahead on worker threads (read and checked) and
// taken in order by the one thread that writes them, so that reading and
// checking the next block overlaps writing the last.
//
// Block b is made by worker b % workers, into the next slot of that worker's
// own ring: each ring has one producer and one consumer, which two
// semaphores keep in step, and the order needs no further locking. Memory is
// workers x slots_per_worker blocks, whatever the payload's size.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/win_handle.h"
#include "payload/payload_source.h"

struct MadeBlock {
  VolumeProblem problem;
  std::size_t size = 0;
};

class BlockPipeline {
 public:
  // Makes block number into into (capacity bytes); called on worker's thread
  // only, for the blocks of that worker in order.
  using Maker = std::function<MadeBlock(unsigned worker, std::uint64_t block, std::uint8_t* into)>;

  // Makes blocks first to end - 1. With no workers, next() makes each itself.
  BlockPipeline(Maker maker, std::uint64_t first, std::uint64_t end, std::size_t capacity, unsigned workers,
                unsigned slots_per_worker);
  // Stops the workers, and waits for them.
  ~BlockPipeline();
  BlockPipeline(const BlockPipeline&) = delete;
  BlockPipeline& operator=(const BlockPipeline&) = delete;

  // Whether it has its buffers and threads.
  bool ready() const { return ready_; }

  struct Block {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    VolumeProblem problem;
  };
  // The next block in order, once it is made; valid until the next call.
  // After a block with a problem nothing more is made.
  Block next();

 private:
  struct Ring;
  static DWORD WINAPI work(void* ring);
  void make_all(Ring& ring, unsigned worker);
  MadeBlock make(unsigned worker, std::uint64_t block, std::uint8_t* into);

  Maker maker_;
  std::uint64_t first_, end_, next_;
  std::size_t capacity_;
  unsigned slots_;
  std::vector<std::unique_ptr<Ring>> rings_;
  WinHandle stop_;
  Ring* taken_from_ = nullptr;  // the ring whose slot the last block is in
  VolumeProblem failed_;
  bool ready_ = false;
};
