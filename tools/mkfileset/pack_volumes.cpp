#include "tools/mkfileset/pack_volumes.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "core/sha256.h"
#include "payload/volume_index.h"
#include "payload/xxh3.h"
#include "tools/mkfileset/file_io.h"

namespace fs = std::filesystem;

namespace {

// More would mean thousands of files beside the setup: a size mistake.
constexpr std::uint32_t most_volumes = 1000;

PackOutcome refused(std::string error) {
  PackOutcome outcome;
  outcome.error = std::move(error);
  return outcome;
}

// The block size for volumes of volume_size: the plan's, or for volumes
// smaller than one such block, the largest power of two that fits.
std::uint32_t block_size_for(const VolumePlan& plan) {
  std::uint32_t block = plan.block_size;
  while (block > smallest_block_size && block > plan.volume_size) block /= 2;
  return block;
}

// Cuts the file data into blocks and volumes as it streams past.
class VolumeWriter {
 public:
  VolumeWriter(const fs::path& folder, const std::string& name, std::uint64_t capacity, std::uint32_t block_size)
      : folder_(folder), name_(name), capacity_(capacity), block_(block_size) {}

  bool add(const std::uint8_t* p, std::size_t n, std::string& error) {
    while (n > 0) {
      const std::size_t take = std::min(n, block_.size() - filled_);
      std::copy(p, p + take, block_.begin() + static_cast<std::ptrdiff_t>(filled_));
      filled_ += take;
      p += take;
      n -= take;
      if (filled_ == block_.size() && !flush(error)) return false;
    }
    return true;
  }

  // The last, shorter block; an empty product still has one volume.
  bool end_data(std::string& error) {
    if (filled_ > 0 && !flush(error)) return false;
    return !volumes_.empty() || open_volume(error);
  }

  bool write_headers(std::uint64_t build_id, std::uint64_t data_length, std::string& error) {
    const auto count = static_cast<std::uint32_t>(volumes_.size());
    for (std::uint32_t n = 1; n <= count; ++n) {
      const VolumeSpan span{(n - 1) * capacity_, std::min(capacity_, data_length - (n - 1) * capacity_)};
      const std::vector<std::uint8_t> header = encode_volume_header(n, count, build_id, span, data_length);
      if (!volumes_[n - 1]->write_at(0, header.data(), header.size())) {
        error = quoted(path(n)) + ": cannot write: " + errno_text();
        return false;
      }
    }
    return true;
  }

  bool commit(std::string& error) {
    for (std::uint32_t n = 1; n <= volumes_.size(); ++n) {
      if (!volumes_[n - 1]->commit(path(n))) {
        error = quoted(path(n)) + ": cannot write: " + errno_text();
        return false;
      }
    }
    // An earlier build's further volumes would be shipped by mistake.
    std::error_code ec;
    const std::string prefix = name_ + "-";
    for (const fs::directory_entry& e : fs::directory_iterator(folder_, ec)) {
      const std::string file = e.path().filename().string();
      if (file.size() <= prefix.size() + 4 || file.compare(0, prefix.size(), prefix) != 0 ||
          file.compare(file.size() - 4, 4, ".bin") != 0)
        continue;
      const std::string number = file.substr(prefix.size(), file.size() - prefix.size() - 4);
      if (number.find_first_not_of("0123456789") != std::string::npos || number.size() > 9) continue;
      if (std::stoul(number) > volumes_.size()) fs::remove(e.path(), ec);
    }
    return true;
  }

  const std::vector<Sha256Digest>& block_digests() const { return digests_; }
  std::uint32_t count() const { return static_cast<std::uint32_t>(volumes_.size()); }

 private:
  fs::path path(std::uint32_t n) const { return folder_ / (name_ + "-" + std::to_string(n) + ".bin"); }

  bool open_volume(std::string& error) {
    if (volumes_.size() == most_volumes) {
      error = "more than " + std::to_string(most_volumes) + " volumes: choose a larger volume size";
      return false;
    }
    const fs::path target = path(static_cast<std::uint32_t>(volumes_.size()) + 1);
    auto file = std::make_unique<TemporaryFile>(target);
    const std::vector<std::uint8_t> placeholder(volume_header_size, 0);
    if (!file->created() || !file->write(placeholder.data(), placeholder.size())) {
      error = quoted(target) + ": cannot create a file there: " + errno_text();
      return false;
    }
    volumes_.push_back(std::move(file));
    in_volume_ = 0;
    return true;
  }

  bool flush(std::string& error) {
    if ((volumes_.empty() || in_volume_ == capacity_) && !open_volume(error)) return false;
    digests_.push_back(sha256(block_.data(), filled_));
    if (!volumes_.back()->write(block_.data(), filled_)) {
      error = quoted(path(count())) + ": cannot write: " + errno_text();
      return false;
    }
    in_volume_ += filled_;
    filled_ = 0;
    return true;
  }

  fs::path folder_;
  std::string name_;
  std::uint64_t capacity_;
  std::vector<std::uint8_t> block_;
  std::size_t filled_ = 0;
  std::uint64_t in_volume_ = 0;
  std::vector<std::unique_ptr<TemporaryFile>> volumes_;
  std::vector<Sha256Digest> digests_;
};

}  // namespace

std::uint64_t parse_volume_size(const std::string& text) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return 0;
  std::size_t used = 0;
  std::uint64_t value = 0;
  for (; used < text.size() && std::isdigit(static_cast<unsigned char>(text[used])); ++used) {
    if (value > (std::uint64_t{1} << 50)) return 0;
    value = value * 10 + static_cast<std::uint64_t>(text[used] - '0');
  }
  const std::string unit = text.substr(used);
  int shift = 0;
  if (unit == "K") shift = 10;
  else if (unit == "M") shift = 20;
  else if (unit == "G") shift = 30;
  else if (unit == "T") shift = 40;
  else if (!unit.empty()) return 0;
  if (value > (std::uint64_t{1} << (62 - shift))) return 0;
  return value << shift;
}

PackOutcome pack_volumes(const TreeScan& scan, const fs::path& index_output, const VolumePlan& plan,
                         Tdigest& checksum) {
  if (!scan.ok()) return refused(scan.error);
  const std::uint32_t block_size = block_size_for(plan);
  const std::uint64_t capacity = plan.volume_size / block_size * block_size;
  if (capacity == 0) {
    return refused("the volume size must be at least " + std::to_string(smallest_block_size / 1024) + " KiB");
  }
  VolumeIndexInput input;
  input.volume_name = plan.name;
  input.block_size = block_size;
  input.volume_capacity = capacity;
  std::uint64_t data_length = 0;
  for (const ScannedEntry& e : scan.entries) {
    input.names.push_back(e.name);
    input.sizes.push_back(e.folder ? fileset_folder_size : e.size);
    data_length += e.folder ? 0 : static_cast<std::uint64_t>(e.size);
  }
  if (volumes_needed(data_length, capacity) > most_volumes) {
    return refused(std::to_string(volumes_needed(data_length, capacity)) + " volumes of " +
                   std::to_string(capacity) + " bytes: choose a larger volume size (at most " +
                   std::to_string(most_volumes) + " volumes)");
  }

  VolumeWriter volumes(index_output.parent_path(), plan.name, capacity, block_size);
  TemporaryFile index_file(index_output);
  if (!index_file.created()) return refused(quoted(index_output) + ": cannot create a file there: " + errno_text());
  std::vector<std::uint8_t> buffer(1 << 20);
  Xxh3Stream file_sum;
  for (std::size_t i = 0; i < scan.entries.size(); ++i) {
    const ScannedEntry& e = scan.entries[i];
    input.entry_sums.push_back(0);
    if (e.folder) continue;
    std::string error;
    bool writing_failed = false;
    file_sum.reset();
    const auto consume = [&](const std::uint8_t* p, std::size_t n) {
      file_sum.update(p, n);
      writing_failed = !volumes.add(p, n, error);
      return !writing_failed;
    };
    if (!read_file_exactly(e.source, static_cast<std::uint64_t>(e.size), buffer, consume, error)) {
      return refused(writing_failed ? error : quoted(e.source) + ": " + error);
    }
    input.entry_sums.back() = file_sum.digest();
  }
  std::string error;
  if (!volumes.end_data(error)) return refused(error);
  input.block_digests = volumes.block_digests();
  const std::vector<std::uint8_t> index = encode_volume_index(input, checksum);
  const std::optional<VolumeIndex> made = VolumeIndex::open(index.data(), index.size());
  if (!made) return refused("the volume index would not be readable (more entries or blocks than it can hold)");
  if (!volumes.write_headers(made->build_id(), data_length, error)) return refused(error);
  if (!index_file.write(index.data(), index.size())) return refused(quoted(index_output) + ": cannot write");
  if (!volumes.commit(error)) return refused(error);
  if (!index_file.commit(index_output)) return refused(quoted(index_output) + ": cannot write: " + errno_text());
  PackOutcome outcome;
  outcome.entries = static_cast<std::int32_t>(scan.entries.size());
  outcome.bytes = index.size();
  outcome.volumes = volumes.count();
  outcome.data_bytes = data_length;
  return outcome;
}
