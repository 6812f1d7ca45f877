#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>

#include "core/sha256.h"
#include "payload/block_decoder.h"
#include "core/win_handle.h"
#include "payload/block_pipeline_win.h"
#include "payload/file_region_win.h"
#include "payload/payload_source.h"

namespace {

// Blocks read ahead of the writer. Stored blocks: one worker keeps pace
// with the disk, since it hashes at several times the speed files are
// written. Compressed blocks: a worker per processor, up to four, each
// decoding blocks of its own.
constexpr unsigned stored_blocks_ahead = 3;
constexpr unsigned most_decoding_workers = 4;
// Each worker holds its slots and a buffer for the stored bytes; large
// blocks get fewer of both, so that memory stays near 128 MiB at most.
// Stored blocks have no buffer of their own.
constexpr std::uint64_t decoding_memory = 128u << 20;

struct ReadingPlan {
  unsigned workers;
  unsigned slots;
};

ReadingPlan reading_plan(const VolumeIndex& index) {
  if (!index.compressed()) {
    const auto affordable = static_cast<unsigned>(decoding_memory / index.block_size());
    return {1, std::max(1u, std::min(stored_blocks_ahead, affordable))};
  }
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const unsigned slots = index.block_size() > compressed_block_size ? 1 : 2;
  const auto affordable = static_cast<unsigned>(decoding_memory / ((slots + 1) * std::uint64_t{index.block_size()}));
  const unsigned workers = std::min({std::max<unsigned>(system.dwNumberOfProcessors, 1), most_decoding_workers,
                                     std::max(affordable, 1u)});
  return {workers, slots};
}

struct OpenedVolume {
  WinHandle file;
  VolumeProblem problem;
};

// Opens volume number of index in folder and checks its header and size.
OpenedVolume open_volume(const VolumeIndex& index, const std::string& folder, std::uint32_t number) {
  OpenedVolume v;
  v.problem.number = number;
  v.problem.path = folder + index.volume_file(number);
  v.file.reset(CreateFileA(v.problem.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!v.file) {
    v.problem.fault = VolumeFault::missing;
    return v;
  }
  LARGE_INTEGER size{};
  std::uint8_t header[volume_header_size];
  DWORD got = 0;
  if (!GetFileSizeEx(v.file.get(), &size) || !ReadFile(v.file.get(), header, sizeof header, &got, nullptr)) {
    v.problem.fault = VolumeFault::missing;
  } else {
    v.problem.fault = check_volume_header(index, number, read_volume_header(header, got),
                                          static_cast<std::uint64_t>(size.QuadPart));
  }
  if (!v.problem.ok()) v.file.reset();
  return v;
}

// One worker's view of the blocks: each volume opened, and its header
// checked, when its first block is read; the program's own blocks through a
// handle of its own.
class VolumeReader {
 public:
  VolumeReader(const VolumeIndex& index, const std::string& folder, const BlockRegion& in_program)
      : index_(index), folder_(folder), in_program_(in_program) {}

  // Reads block number of the file data into into: its stored bytes checked
  // against their SHA-256, then, when compressed, decoded and checked against
  // the maker's checksum of the original bytes.
  MadeBlock read(std::uint64_t block, std::uint8_t* into) {
    MadeBlock made;
    const BlockEntry e = index_.block(block);
    made.size = e.original_size;
    if ((!data_ || e.volume != number_) && !open(e.volume, made.problem)) return made;
    std::uint8_t* stored = into;
    if (e.method == BlockMethod::zstd) {
      if (!stored_) stored_.reset(new (std::nothrow) std::uint8_t[index_.block_size()]);
      if (!stored_) return fail(made, VolumeFault::damaged, "out of memory");
      stored = stored_.get();
    }
    if (!data_->read(e.stored_offset - data_offset_, stored, e.stored_size))
      return fail(made, VolumeFault::truncated, path_);
    if (!block_is_sound(e, stored, into, decoder_)) return fail(made, VolumeFault::damaged, path_);
    return made;
  }

 private:
  bool open(std::uint32_t number, VolumeProblem& problem) {
    data_.reset();
    if (number == 0) {
      path_ = in_program_.path;
      if (!in_program_.bytes) {
        problem = {VolumeFault::missing, 0, path_};
        return false;
      }
      data_ = in_program_.bytes;
      data_offset_ = 0;
    } else {
      OpenedVolume opened = open_volume(index_, folder_, number);
      if (!opened.problem.ok()) {
        problem = opened.problem;
        return false;
      }
      path_ = opened.problem.path;
      const VolumeSpan span = index_.volume(number);
      data_ = std::make_unique<FileRegion>(std::move(opened.file), volume_header_size, span.size);
      data_offset_ = span.offset;
    }
    number_ = number;
    return true;
  }

  MadeBlock& fail(MadeBlock& made, VolumeFault fault, const std::string& path) {
    made.problem = {fault, number_, path};
    return made;
  }

  const VolumeIndex& index_;
  const std::string folder_;
  const BlockRegion in_program_;
  std::shared_ptr<ByteSource> data_;  // the program's blocks are shared by the workers
  std::uint64_t data_offset_ = 0;     // where data_ starts in the stored stream
  std::uint32_t number_ = 0;
  std::string path_;
  std::unique_ptr<std::uint8_t[]> stored_;
  BlockDecoder decoder_;
};

class VolumeSource final : public PayloadSource {
 public:
  VolumeSource(const VolumeIndex& index, const std::string& folder, const BlockRegion& in_program, RetryVolume retry)
      : index_(index), folder_(folder), in_program_(in_program), retry_(std::move(retry)) {}

  ByteRange take(std::uint64_t max) override {
    if (!problem_.ok() || max == 0) return {};
    if (used_ == block_.size && !next_block()) return {};
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(max, block_.size - used_));
    const ByteRange range{block_.data + used_, n};
    used_ += n;
    return range;
  }

  std::uint64_t entry_sum(std::int32_t index) const override { return index_.entry_sum(index); }
  VolumeProblem problem() const override { return problem_; }

 private:
  // The next block, read and checked ahead; a problem is offered to the
  // user's retry, which reads that block again from a fresh start.
  bool next_block() {
    if (block_number_ >= index_.block_count()) return fail({VolumeFault::truncated, 0, ""});
    for (;;) {
      if (!pipeline_ && !start_reading()) return fail({VolumeFault::damaged, 0, "out of memory"});
      block_ = pipeline_->next();
      if (block_.problem.ok()) break;
      pipeline_.reset();  // the volumes are opened again
      readers_.clear();
      if (!retry_ || !retry_(block_.problem)) return fail(block_.problem);
    }
    ++block_number_;
    used_ = 0;
    return true;
  }

  // Workers from the current block on; without threads, reads in turn.
  bool start_reading() {
    const auto read = [this](unsigned worker, std::uint64_t block, std::uint8_t* into) {
      return readers_[worker]->read(block, into);
    };
    const ReadingPlan plan = reading_plan(index_);
    for (const unsigned workers : {plan.workers, 0u}) {
      readers_.clear();
      for (unsigned w = 0; w < std::max(workers, 1u); ++w)
        readers_.push_back(std::make_unique<VolumeReader>(index_, folder_, in_program_));
      pipeline_ = std::make_unique<BlockPipeline>(read, block_number_, index_.block_count(), index_.block_size(),
                                                  workers, plan.slots);
      if (pipeline_->ready()) return true;
      pipeline_.reset();
    }
    return false;
  }

  bool fail(const VolumeProblem& p) {
    problem_ = p;
    return false;
  }

  const VolumeIndex& index_;
  const std::string folder_;
  const BlockRegion in_program_;
  const RetryVolume retry_;
  std::vector<std::unique_ptr<VolumeReader>> readers_;
  std::unique_ptr<BlockPipeline> pipeline_;
  BlockPipeline::Block block_;
  std::uint64_t block_number_ = 0;
  std::size_t used_ = 0;
  VolumeProblem problem_;
};

}  // namespace

namespace {

// The program's own blocks, every stored byte against its SHA-256.
VolumeProblem check_blocks_in_program(const VolumeIndex& index, const BlockRegion& in_program) {
  if (!in_program.bytes) return {VolumeFault::missing, 0, in_program.path};
  if (in_program.size != index.stored_length()) return {VolumeFault::truncated, 0, in_program.path};
  const std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[index.block_size()]);
  if (!buffer) return {VolumeFault::damaged, 0, "out of memory"};
  for (std::uint64_t b = 0; b < index.block_count(); ++b) {
    const BlockEntry e = index.block(b);
    if (!in_program.bytes->read(e.stored_offset, buffer.get(), e.stored_size))
      return {VolumeFault::truncated, 0, in_program.path};
    if (sha256(buffer.get(), e.stored_size) != e.digest) return {VolumeFault::damaged, 0, in_program.path};
  }
  return {};
}

}  // namespace

bool open_program_blocks(BlockRegion& region) {
  WinHandle file(CreateFileA(region.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || region.offset + region.size > static_cast<std::uint64_t>(size.QuadPart))
    return false;
  region.bytes = std::make_shared<FileRegion>(std::move(file), region.offset, region.size);
  return true;
}

VolumeProblem check_volumes(const VolumeIndex& index, const std::string& folder, const BlockRegion& in_program,
                            const RetryVolume& retry) {
  if (index.in_program()) return check_blocks_in_program(index, in_program);
  for (std::uint32_t n = 1; n <= index.volume_count(); ++n) {
    for (;;) {
      const OpenedVolume v = open_volume(index, folder, n);
      if (v.problem.ok()) break;
      if (!retry || !retry(v.problem)) return v.problem;
    }
  }
  return {};
}

std::unique_ptr<PayloadSource> open_volume_source(const VolumeIndex& index, const std::string& folder,
                                                  const BlockRegion& in_program, RetryVolume retry) {
  return std::make_unique<VolumeSource>(index, folder, in_program, std::move(retry));
}
