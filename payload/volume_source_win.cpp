#include <windows.h>

#include <algorithm>
#include <memory>

#include "core/sha256.h"
#include "core/win_handle.h"
#include "payload/block_pipeline_win.h"
#include "payload/file_region_win.h"
#include "payload/payload_source.h"

namespace {

// Blocks read ahead of the writer. One worker keeps pace with the disk: it
// hashes at several times the speed the files are written.
constexpr unsigned reading_workers = 1;
constexpr unsigned blocks_ahead = 3;

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

// One worker's view of the volumes: each opened, and its header checked, when
// its first block is read.
class VolumeReader {
 public:
  VolumeReader(const VolumeIndex& index, const std::string& folder) : index_(index), folder_(folder) {}

  // Reads block number of the file data into into and checks it against its
  // digest in the index.
  MadeBlock read(std::uint64_t block, std::uint8_t* into) {
    MadeBlock made;
    const std::uint64_t start = block * index_.block_size();
    made.size = static_cast<std::size_t>(std::min<std::uint64_t>(index_.block_size(), index_.data_length() - start));
    const auto number = static_cast<std::uint32_t>(start / index_.volume(1).size + 1);
    if (!data_ || number != number_) {
      data_.reset();
      OpenedVolume opened = open_volume(index_, folder_, number);
      if (!opened.problem.ok()) {
        made.problem = opened.problem;
        return made;
      }
      number_ = number;
      path_ = opened.problem.path;
      data_ = std::make_unique<FileRegion>(std::move(opened.file), volume_header_size, index_.volume(number).size);
    }
    if (!data_->read(start - index_.volume(number).offset, into, made.size)) {
      made.problem = {VolumeFault::truncated, number, path_};
    } else if (sha256(into, made.size) != index_.block_digest(block)) {
      made.problem = {VolumeFault::damaged, number, path_};
    }
    return made;
  }

 private:
  const VolumeIndex& index_;
  const std::string folder_;
  std::unique_ptr<FileRegion> data_;
  std::uint32_t number_ = 0;
  std::string path_;
};

class VolumeSource final : public PayloadSource {
 public:
  VolumeSource(const VolumeIndex& index, const std::string& folder, RetryVolume retry)
      : index_(index), folder_(folder), retry_(std::move(retry)) {}

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
    for (const unsigned workers : {reading_workers, 0u}) {
      readers_.clear();
      for (unsigned w = 0; w < std::max(workers, 1u); ++w)
        readers_.push_back(std::make_unique<VolumeReader>(index_, folder_));
      pipeline_ = std::make_unique<BlockPipeline>(read, block_number_, index_.block_count(), index_.block_size(),
                                                  workers, blocks_ahead);
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
  const RetryVolume retry_;
  std::vector<std::unique_ptr<VolumeReader>> readers_;
  std::unique_ptr<BlockPipeline> pipeline_;
  BlockPipeline::Block block_;
  std::uint64_t block_number_ = 0;
  std::size_t used_ = 0;
  VolumeProblem problem_;
};

}  // namespace

VolumeProblem check_volumes(const VolumeIndex& index, const std::string& folder, const RetryVolume& retry) {
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
                                                  RetryVolume retry) {
  return std::make_unique<VolumeSource>(index, folder, std::move(retry));
}
