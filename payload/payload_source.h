#pragma once
// The payload's file data as the installation reads it: in order, in pieces,
// every piece checked before it is handed out. Both payload forms give it:
// the single container held in the program's resources (checked whole before
// anything is written), and data volumes beside setup.exe, read by handle one
// block at a time, each block checked against the index before use.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "payload/byte_source.h"
#include "payload/fileset.h"
#include "payload/fileset_sums.h"
#include "payload/volume_index.h"

struct ByteRange {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// A volume that cannot be used, and which one.
struct VolumeProblem {
  VolumeFault fault = VolumeFault::none;
  std::uint32_t number = 0;
  std::string path;
  bool ok() const { return fault == VolumeFault::none; }
};

class PayloadSource {
 public:
  virtual ~PayloadSource() = default;
  // The next checked bytes of the file data, at least 1 and at most max
  // (> 0); valid until the next call. Empty once the source failed:
  // problem() then says why.
  virtual ByteRange take(std::uint64_t max) = 0;
  // The maker's checksum of a file entry's contents.
  virtual std::uint64_t entry_sum(std::int32_t index) const = 0;
  virtual VolumeProblem problem() const { return {}; }
};

// The single container's data block, checked whole already (check_container),
// read again in pieces through one buffer. A piece that cannot be read fails
// the source as damaged, naming where it was read from.
class ContainerSource final : public PayloadSource {
 public:
  ContainerSource(ByteSource& bytes, std::uint64_t data_offset, std::uint64_t data_length, const FilesetSums& sums,
                  std::string name)
      : bytes_(bytes), data_offset_(data_offset), data_length_(data_length), sums_(sums), name_(std::move(name)) {}
  ByteRange take(std::uint64_t max) override;
  std::uint64_t entry_sum(std::int32_t index) const override { return sums_.entry_sum(index); }
  VolumeProblem problem() const override { return problem_; }

 private:
  ByteSource& bytes_;
  std::uint64_t data_offset_;
  std::uint64_t data_length_;
  FilesetSums sums_;
  std::string name_;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t buffer_size_ = 0;
  std::uint64_t position_ = 0;
  VolumeProblem problem_;
};

// Asked when a volume cannot be used: true to look again.
using RetryVolume = std::function<bool(const VolumeProblem&)>;

// Where the blocks of a compressed payload lie in the program's own file
// (resource EXEBINBLOCKS); size 0 when the program has none. bytes reads
// them once open_program_blocks opened the file: one handle for the check
// and every worker, which lets nobody rename the file and put another in
// its place between them.
struct BlockRegion {
  std::string path;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  std::shared_ptr<ByteSource> bytes;
};

// Opens region's file for the whole run, sharing it for reading only.
bool open_program_blocks(BlockRegion& region);

// Whether every volume of index lies in folder (ends with "\") and its header
// and size belong to this index; each problem is offered to retry, which may
// look again. The first problem it did not retry, or none. Blocks the program
// carries itself (in_program) are checked whole instead: every stored byte
// against its SHA-256, before anything is written.
VolumeProblem check_volumes(const VolumeIndex& index, const std::string& folder, const BlockRegion& in_program,
                            const RetryVolume& retry);

// The blocks read by handle, from data volumes or the program's own file,
// checked, decoded where compressed, and checked again.
std::unique_ptr<PayloadSource> open_volume_source(const VolumeIndex& index, const std::string& folder,
                                                  const BlockRegion& in_program, RetryVolume retry);
