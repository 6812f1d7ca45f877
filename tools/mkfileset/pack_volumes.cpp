#include "tools/mkfileset/pack_volumes.h"

#include <unistd.h>

#define ZSTD_STATIC_LINKING_ONLY  // the size of a context, before making it
#include <zstd.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <thread>

#include "core/sha256.h"
#include "payload/volume_index.h"
#include "payload/xxh3.h"
#include "tools/mkfileset/block_rule.h"
#include "tools/mkfileset/compress_threads.h"
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

// The block size for the plan: the compressed sizes suit the level, and for
// volumes smaller than one such block, the largest power of two that fits.
std::uint32_t block_size_for(const VolumePlan& plan) {
  std::uint32_t block = plan.block_size;
  if (block == 0) {
    block = plan.compress_level >= 20 ? ultra_block_size
            : plan.compress_level > 0 ? compressed_block_size
                                      : default_block_size;
  }
  while (block > smallest_block_size && plan.volume_size > 0 && block > plan.volume_size) block /= 2;
  return block;
}

// What one compressing thread takes: its context and the block it reads,
// the frame it makes and the frame decoded again.
std::uint64_t memory_per_thread(int level, std::uint32_t block_size) {
  return ZSTD_estimateCCtxSize_usingCParams(ZSTD_getCParams(level, block_size, 0)) + 2 * std::uint64_t{block_size} +
         ZSTD_compressBound(block_size);
}

std::uint64_t physical_memory() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long page_size = ::sysconf(_SC_PAGESIZE);
  return pages > 0 && page_size > 0 ? std::uint64_t(pages) * std::uint64_t(page_size) : 0;
}

// Compresses blocks on every core that memory allows (compress_threads.h),
// each with a context of its own; a block that does not shrink by at least
// 1% is stored as it is.
class BlockCompressor {
 public:
  BlockCompressor(int level, std::uint32_t block_size)
      : level_(level),
        threads_(compressing_threads(std::thread::hardware_concurrency(), physical_memory(),
                                     memory_per_thread(level, block_size))) {
    for (unsigned t = 0; t < threads_; ++t) {
      contexts_.emplace_back(ZSTD_createCCtx());
      out_.emplace_back(ZSTD_compressBound(block_size));
      check_.emplace_back(block_size);
    }
  }

  bool ready() const {
    for (const auto& c : contexts_)
      if (!c) return false;
    return true;
  }
  unsigned threads() const { return threads_; }

  // The stored form of each of blocks (at most threads()); a stored block
  // is left where it is, a compressed one goes to compressed(i).
  std::vector<PackedBlock> compress(const std::vector<std::vector<std::uint8_t>>& blocks) {
    std::vector<PackedBlock> made(blocks.size());
    const auto one = [&](std::size_t i) {
      const std::vector<std::uint8_t>& in = blocks[i];
      ZSTD_CCtx* c = contexts_[i].get();
      ZSTD_CCtx_reset(c, ZSTD_reset_session_and_parameters);
      ZSTD_CCtx_setParameter(c, ZSTD_c_compressionLevel, level_);
      ZSTD_CCtx_setParameter(c, ZSTD_c_checksumFlag, 0);
      ZSTD_CCtx_setParameter(c, ZSTD_c_contentSizeFlag, 1);
      const std::size_t n = ZSTD_compress2(c, out_[i].data(), out_[i].size(), in.data(), in.size());
      PackedBlock& b = made[i];
      b.sum = xxh3_64(in.data(), in.size());
      if (!ZSTD_isError(n) && worth_compressing(in.size(), n)) {
        // Decoded once here, as the setup will: a frame that does not give
        // back its bytes is never shipped.
        const std::size_t back = ZSTD_decompress(check_[i].data(), check_[i].size(), out_[i].data(), n);
        if (ZSTD_isError(back) || back != in.size() || xxh3_64(check_[i].data(), back) != b.sum) faulty_ = true;
        b.method = BlockMethod::zstd;
        b.stored_size = static_cast<std::uint32_t>(n);
        b.digest = sha256(out_[i].data(), n);
      } else {
        b.stored_size = static_cast<std::uint32_t>(in.size());
        b.digest = sha256(in.data(), in.size());
      }
    };
    std::vector<std::thread> running;
    for (std::size_t i = 1; i < blocks.size(); ++i) running.emplace_back(one, i);
    if (!blocks.empty()) one(0);
    for (std::thread& t : running) t.join();
    return made;
  }

  const std::uint8_t* compressed(std::size_t i) const { return out_[i].data(); }
  // Whether a block did not decode to its own bytes.
  bool faulty() const { return faulty_; }

 private:
  struct FreeContext {
    void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
  };
  int level_;
  unsigned threads_;
  std::vector<std::unique_ptr<ZSTD_CCtx, FreeContext>> contexts_;
  std::vector<std::vector<std::uint8_t>> out_;
  std::vector<std::vector<std::uint8_t>> check_;
  bool faulty_ = false;
};

// Cuts the file data into blocks as it streams past, stores or compresses
// each, and places them into volumes (or the one file of blocks for
// setup.exe itself).
class VolumeWriter {
 public:
  VolumeWriter(const fs::path& folder, const std::string& name, std::uint64_t capacity, std::uint32_t block_size,
               int level, fs::path in_program)
      : folder_(folder), name_(name), capacity_(capacity), block_size_(block_size), in_program_(std::move(in_program)) {
    if (level > 0) compressor_ = std::make_unique<BlockCompressor>(level, block_size);
    batch_.emplace_back();
    batch_.back().reserve(block_size);
  }

  bool ready() const { return !compressor_ || compressor_->ready(); }

  bool add(const std::uint8_t* p, std::size_t n, std::string& error) {
    while (n > 0) {
      std::vector<std::uint8_t>& block = batch_.back();
      const std::size_t take = std::min(n, block_size_ - block.size());
      block.insert(block.end(), p, p + take);
      p += take;
      n -= take;
      if (block.size() == block_size_ && !block_full(error)) return false;
    }
    return true;
  }

  // The last, shorter block; an empty product still has one volume.
  bool end_data(std::string& error) {
    if (!batch_.back().empty() && !block_full(error)) return false;
    batch_.pop_back();
    if (!flush(error)) return false;
    return !files_.empty() || open_file(error);
  }

  bool write_headers(const VolumeIndex& index, std::string& error) {
    if (index.in_program()) return true;
    if (index.volume_count() != files_.size()) {
      error = "the volumes written (" + std::to_string(files_.size()) + ") are not those the index places (" +
              std::to_string(index.volume_count()) + ")";
      return false;
    }
    for (std::uint32_t n = 1; n <= index.volume_count(); ++n) {
      const std::vector<std::uint8_t> header =
          encode_volume_header(n, index.volume_count(), index.build_id(), index.volume(n), index.stored_length());
      if (!files_[n - 1]->write_at(0, header.data(), header.size())) {
        error = quoted(path(n)) + ": cannot write: " + errno_text();
        return false;
      }
    }
    return true;
  }

  bool commit(std::string& error) {
    if (!in_program_.empty()) {
      if (files_[0]->commit(in_program_)) return true;
      error = quoted(in_program_) + ": cannot write: " + errno_text();
      return false;
    }
    for (std::uint32_t n = 1; n <= files_.size(); ++n) {
      if (!files_[n - 1]->commit(path(n))) {
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
      if (std::stoul(number) > files_.size()) fs::remove(e.path(), ec);
    }
    return true;
  }

  const std::vector<PackedBlock>& blocks() const { return blocks_; }
  std::uint32_t count() const { return in_program_.empty() ? static_cast<std::uint32_t>(files_.size()) : 0; }
  std::uint64_t stored_bytes() const { return stored_bytes_; }

 private:
  fs::path path(std::uint32_t n) const { return folder_ / (name_ + "-" + std::to_string(n) + ".bin"); }

  bool block_full(std::string& error) {
    if (!compressor_ || batch_.size() == compressor_->threads()) {
      if (!flush(error)) return false;
    }
    batch_.emplace_back();
    batch_.back().reserve(block_size_);
    return true;
  }

  // Stores the blocks gathered so far, in order.
  bool flush(std::string& error) {
    if (batch_.empty()) return true;
    if (compressor_) {
      const std::vector<PackedBlock> made = compressor_->compress(batch_);
      if (compressor_->faulty()) {
        error = "zstd: a compressed block does not decode to its bytes";
        return false;
      }
      for (std::size_t i = 0; i < made.size(); ++i) {
        const std::uint8_t* bytes = made[i].method == BlockMethod::zstd ? compressor_->compressed(i) : batch_[i].data();
        if (!place(made[i], bytes, error)) return false;
      }
    } else {
      for (const std::vector<std::uint8_t>& block : batch_) {
        PackedBlock b;
        b.stored_size = static_cast<std::uint32_t>(block.size());
        b.digest = sha256(block.data(), block.size());
        b.sum = xxh3_64(block.data(), block.size());
        if (!place(b, block.data(), error)) return false;
      }
    }
    batch_.clear();
    return true;
  }

  bool open_file(std::string& error) {
    if (files_.size() == most_volumes) {
      error = "more than " + std::to_string(most_volumes) + " volumes: choose a larger volume size";
      return false;
    }
    const fs::path target = in_program_.empty() ? path(static_cast<std::uint32_t>(files_.size()) + 1) : in_program_;
    auto file = std::make_unique<TemporaryFile>(target);
    const std::vector<std::uint8_t> placeholder(volume_header_size, 0);
    if (!file->created() || (in_program_.empty() && !file->write(placeholder.data(), placeholder.size()))) {
      error = quoted(target) + ": cannot create a file there: " + errno_text();
      return false;
    }
    files_.push_back(std::move(file));
    in_volume_ = 0;
    return true;
  }

  bool place(const PackedBlock& block, const std::uint8_t* bytes, std::string& error) {
    const bool next_volume = in_program_.empty() && in_volume_ + block.stored_size > capacity_;
    if ((files_.empty() || next_volume) && !open_file(error)) return false;
    if (!files_.back()->write(bytes, block.stored_size)) {
      error = quoted(in_program_.empty() ? path(count()) : in_program_) + ": cannot write: " + errno_text();
      return false;
    }
    in_volume_ += block.stored_size;
    stored_bytes_ += block.stored_size;
    if (!in_program_.empty() && stored_bytes_ > most_blocks_in_program) {
      error = "the compressed files take more than " + std::to_string(most_blocks_in_program >> 20) +
              " MiB, more than setup.exe can carry: use data volumes (--volume-size)";
      return false;
    }
    blocks_.push_back(block);
    return true;
  }

  fs::path folder_;
  std::string name_;
  std::uint64_t capacity_;
  std::size_t block_size_;
  fs::path in_program_;
  std::unique_ptr<BlockCompressor> compressor_;
  std::vector<std::vector<std::uint8_t>> batch_;  // blocks not yet stored; the last one filling
  std::uint64_t in_volume_ = 0;
  std::uint64_t stored_bytes_ = 0;
  std::vector<std::unique_ptr<TemporaryFile>> files_;
  std::vector<PackedBlock> blocks_;
};

}  // namespace

fs::path blocks_path_for(const fs::path& index_output) {
  fs::path p = index_output;
  p += ".blocks";
  return p;
}

int parse_compress_level(const std::string& text) {
  if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
  const int level = std::stoi(text);
  return level >= 1 && level <= 22 ? level : 0;
}

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
  const bool in_program = plan.volume_size == 0;
  const std::uint64_t capacity = in_program ? 0 : plan.volume_size;
  if (!in_program && capacity < block_size) {
    return refused("the volume size must be at least " + std::to_string(smallest_block_size / 1024) + " KiB");
  }
  if (in_program && plan.compress_level == 0) return refused("only compressed blocks go into setup.exe itself");
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
  // Volumes hold whole blocks, and a block may not shrink: as many volumes as
  // that takes, at most.
  const std::uint64_t per_volume = in_program ? 1 : capacity / block_size;
  const std::uint32_t at_most = volumes_needed(data_length, per_volume * block_size);
  if (!in_program && at_most > most_volumes) {
    return refused(std::to_string(at_most) + " volumes of " + std::to_string(capacity) +
                   " bytes: choose a larger volume size (at most " + std::to_string(most_volumes) + " volumes)");
  }

  VolumeWriter volumes(index_output.parent_path(), plan.name, capacity, block_size, plan.compress_level,
                       in_program ? blocks_path_for(index_output) : fs::path());
  if (!volumes.ready()) return refused("zstd: cannot make a compression context");
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
  input.blocks = volumes.blocks();
  const std::vector<std::uint8_t> index = encode_volume_index(input, checksum);
  const std::optional<VolumeIndex> made = VolumeIndex::open(index.data(), index.size());
  if (!made) return refused("the block index would not be readable (more entries or blocks than it can hold)");
  if (!volumes.write_headers(*made, error)) return refused(error);
  if (!index_file.write(index.data(), index.size())) return refused(quoted(index_output) + ": cannot write");
  if (!volumes.commit(error)) return refused(error);
  if (!index_file.commit(index_output)) return refused(quoted(index_output) + ": cannot write: " + errno_text());
  PackOutcome outcome;
  outcome.entries = static_cast<std::int32_t>(scan.entries.size());
  outcome.bytes = index.size();
  outcome.volumes = volumes.count();
  outcome.data_bytes = data_length;
  outcome.stored_bytes = volumes.stored_bytes();
  return outcome;
}
