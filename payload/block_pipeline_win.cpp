#include "payload/block_pipeline_win.h"

#include <new>

struct BlockPipeline::Ring {
  BlockPipeline* pipeline = nullptr;
  unsigned worker = 0;
  std::vector<std::unique_ptr<std::uint8_t[]>> slots;
  std::vector<MadeBlock> made;
  WinHandle free;    // semaphore: slots the worker may fill
  WinHandle filled;  // semaphore: slots made and not yet taken
  WinHandle thread;
  unsigned next_take = 0;
};

BlockPipeline::BlockPipeline(Maker maker, std::uint64_t first, std::uint64_t end, std::size_t capacity,
                             unsigned workers, unsigned slots_per_worker)
    : maker_(std::move(maker)),
      first_(first),
      end_(end),
      next_(first),
      capacity_(capacity),
      slots_(slots_per_worker == 0 ? 1 : slots_per_worker),
      stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!stop_) return;
  const unsigned rings = workers == 0 ? 1 : workers;
  for (unsigned w = 0; w < rings; ++w) {
    auto ring = std::make_unique<Ring>();
    ring->pipeline = this;
    ring->worker = w;
    const unsigned slots = workers == 0 ? 1 : slots_;
    for (unsigned s = 0; s < slots; ++s) {
      ring->slots.emplace_back(new (std::nothrow) std::uint8_t[capacity]);
      if (!ring->slots.back()) return;
    }
    ring->made.resize(slots);
    rings_.push_back(std::move(ring));
  }
  if (workers == 0) {
    ready_ = true;
    return;
  }
  for (const auto& ring : rings_) {
    ring->free.reset(CreateSemaphoreA(nullptr, static_cast<LONG>(slots_), static_cast<LONG>(slots_), nullptr));
    ring->filled.reset(CreateSemaphoreA(nullptr, 0, static_cast<LONG>(slots_), nullptr));
    if (!ring->free || !ring->filled) return;
  }
  for (const auto& ring : rings_) {
    ring->thread.reset(CreateThread(nullptr, 0, &BlockPipeline::work, ring.get(), 0, nullptr));
    if (!ring->thread) return;  // the destructor stops those already running
  }
  ready_ = true;
}

BlockPipeline::~BlockPipeline() {
  if (stop_) SetEvent(stop_.get());
  for (const auto& ring : rings_) {
    if (ring->thread) WaitForSingleObject(ring->thread.get(), INFINITE);
  }
}

DWORD WINAPI BlockPipeline::work(void* ring) {
  auto* r = static_cast<Ring*>(ring);
  r->pipeline->make_all(*r, r->worker);
  return 0;
}

void BlockPipeline::make_all(Ring& ring, unsigned worker) {
  const auto workers = static_cast<unsigned>(rings_.size());
  unsigned slot = 0;
  for (std::uint64_t b = first_ + worker; b < end_; b += workers) {
    const HANDLE waits[2] = {stop_.get(), ring.free.get()};
    const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0) return;
    if (woken != WAIT_OBJECT_0 + 1) {
      // The taker waits for this block: it gets a problem, never silence.
      ring.made[slot] = {};
      ring.made[slot].problem = {VolumeFault::damaged, 0, "the reading thread failed"};
      ReleaseSemaphore(ring.filled.get(), 1, nullptr);
      return;
    }
    ring.made[slot] = make(worker, b, ring.slots[slot].get());
    const bool failed = !ring.made[slot].problem.ok();
    ReleaseSemaphore(ring.filled.get(), 1, nullptr);
    if (failed) return;
    slot = (slot + 1) % slots_;
  }
}

// An allocation that fails inside the maker ends this block with a problem,
// which the run rolls back, instead of ending the process on a worker.
MadeBlock BlockPipeline::make(unsigned worker, std::uint64_t block, std::uint8_t* into) {
  try {
    return maker_(worker, block, into);
  } catch (...) {
    MadeBlock failed;
    failed.problem = {VolumeFault::damaged, 0, "out of memory"};
    return failed;
  }
}

BlockPipeline::Block BlockPipeline::next() {
  Block block;
  if (!failed_.ok()) {
    block.problem = failed_;
    return block;
  }
  if (!ready_ || next_ >= end_) {
    block.problem = {VolumeFault::truncated, 0, ""};
    return block;
  }
  const std::uint64_t number = next_++;
  if (!rings_[0]->thread) {
    Ring& ring = *rings_[0];
    ring.made[0] = make(0, number, ring.slots[0].get());
    block.data = ring.slots[0].get();
    block.size = ring.made[0].size;
    block.problem = failed_ = ring.made[0].problem;
    return block;
  }
  // The slot of the block taken before is free again.
  if (taken_from_) ReleaseSemaphore(taken_from_->free.get(), 1, nullptr);
  Ring& ring = *rings_[static_cast<std::size_t>((number - first_) % rings_.size())];
  WaitForSingleObject(ring.filled.get(), INFINITE);
  const unsigned slot = ring.next_take;
  ring.next_take = (slot + 1) % slots_;
  taken_from_ = &ring;
  block.data = ring.slots[slot].get();
  block.size = ring.made[slot].size;
  block.problem = failed_ = ring.made[slot].problem;
  return block;
}
