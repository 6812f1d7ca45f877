#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>

#include "core/win_handle.h"
#include "payload/payload_source.h"
#include "payload/xxh3.h"

namespace {

struct OpenedVolume {
  WinHandle file;
  VolumeProblem problem;
};

// Opens volume number of index in folder and checks its header and size;
// the handle is left just after the header.
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

bool read_exactly(HANDLE file, std::uint8_t* into, std::size_t size) {
  while (size > 0) {
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size, 64u << 20));
    DWORD got = 0;
    if (!ReadFile(file, into, ask, &got, nullptr) || got == 0) return false;
    into += got;
    size -= got;
  }
  return true;
}

class VolumeSource final : public PayloadSource {
 public:
  VolumeSource(const VolumeIndex& index, const std::string& folder, RetryVolume retry)
      : index_(index), folder_(folder), retry_(std::move(retry)) {}

  ByteRange take(std::uint64_t max) override {
    if (!problem_.ok() || max == 0) return {};
    if (used_ == filled_ && !next_block()) return {};
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(max, filled_ - used_));
    const ByteRange range{block_.get() + used_, n};
    used_ += n;
    return range;
  }

  std::uint64_t entry_sum(std::int32_t index) const override { return index_.entry_sum(index); }
  VolumeProblem problem() const override { return problem_; }

 private:
  // Reads and checks the next block, with the user's retries.
  bool next_block() {
    if (block_number_ >= index_.block_count()) return fail({VolumeFault::truncated, volume_, ""});
    if (!block_) {
      block_.reset(new (std::nothrow) std::uint8_t[index_.block_size()]);
      if (!block_) return fail({VolumeFault::damaged, 0, "out of memory"});
    }
    for (;;) {
      const VolumeProblem p = read_block();
      if (p.ok()) break;
      file_.reset();  // the retry opens the volume again
      if (!retry_ || !retry_(p)) return fail(p);
    }
    ++block_number_;
    used_ = 0;
    return true;
  }

  VolumeProblem read_block() {
    const std::uint64_t start = block_number_ * index_.block_size();
    const std::size_t size = static_cast<std::size_t>(
        std::min<std::uint64_t>(index_.block_size(), index_.data_length() - start));
    const auto number = static_cast<std::uint32_t>(start / index_.volume(1).size + 1);
    if (!file_ || number != volume_) {
      OpenedVolume opened = open_volume(index_, folder_, number);
      if (!opened.problem.ok()) return opened.problem;
      file_ = std::move(opened.file);
      volume_ = number;
      path_ = opened.problem.path;
      // Blocks are read in order; after a retry, from where the failed one lies.
      LARGE_INTEGER at;
      at.QuadPart = static_cast<LONGLONG>(volume_header_size + start - index_.volume(number).offset);
      if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN)) return {VolumeFault::missing, number, path_};
    }
    if (!read_exactly(file_.get(), block_.get(), size)) return {VolumeFault::truncated, number, path_};
    if (xxh3_64(block_.get(), size) != index_.block_sum(block_number_)) return {VolumeFault::damaged, number, path_};
    filled_ = size;
    return {};
  }

  bool fail(const VolumeProblem& p) {
    problem_ = p;
    return false;
  }

  const VolumeIndex& index_;
  const std::string folder_;
  const RetryVolume retry_;
  WinHandle file_;
  std::uint32_t volume_ = 0;
  std::string path_;
  std::unique_ptr<std::uint8_t[]> block_;
  std::uint64_t block_number_ = 0;
  std::size_t filled_ = 0;
  std::size_t used_ = 0;
  VolumeProblem problem_;
};

}  // namespace

std::string program_folder() {
  char path[MAX_PATH + 1];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return "";
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

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
