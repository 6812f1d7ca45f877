#include "tools/mkfileset/estimate.h"

#include <zstd.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "tools/mkfileset/block_rule.h"
#include "tools/mkfileset/file_io.h"
#include "tools/mkfileset/kind_order.h"
#include "tools/mkfileset/sample_plan.h"

namespace fs = std::filesystem;

namespace {

// The files with data, in the packer's order, each with its offset in the
// stream they make together.
struct StreamFile {
  const ScannedEntry* entry;
  std::uint64_t offset;
};

std::vector<StreamFile> stream_of(const TreeScan& scan, std::uint64_t& total) {
  std::vector<StreamFile> files;
  total = 0;
  for (const ScannedEntry& e : scan.entries) {
    if (e.folder || e.size <= 0) continue;
    files.push_back({&e, total});
    total += static_cast<std::uint64_t>(e.size);
  }
  return files;
}

// Fills out with the stream's bytes from offset on, file by file.
// The file that holds the stream's byte at offset (within the stream).
std::vector<StreamFile>::const_iterator file_at(const std::vector<StreamFile>& files, std::uint64_t offset) {
  return std::upper_bound(files.begin(), files.end(), offset,
                          [](std::uint64_t at, const StreamFile& f) { return at < f.offset; }) - 1;
}

bool read_stream(const std::vector<StreamFile>& files, std::uint64_t offset, std::uint8_t* out, std::size_t size,
                 const RangeReader& read, std::string& error) {
  auto file = file_at(files, offset);
  while (size > 0) {
    const std::uint64_t within = offset - file->offset;
    const std::size_t n = static_cast<std::size_t>(
        std::min<std::uint64_t>(size, static_cast<std::uint64_t>(file->entry->size) - within));
    if (!read(file->entry->source, within, out, n, error)) {
      error = quoted(file->entry->source) + ": " + error;
      return false;
    }
    out += n;
    offset += n;
    size -= n;
    ++file;
  }
  return true;
}

// When piece lies wholly in a file that follows one of the same kind and size
// in the stream, and that file's bytes at the same place lie in the same
// block: that file, whose bytes the packer's block would hold before the
// piece's. Copies of a file in several folders are common in game data (one
// texture in many tracks), and the packer's order puts them side by side.
const StreamFile* original_within_block(const std::vector<StreamFile>& files, const SamplePiece& piece,
                                        std::uint64_t block_size) {
  const auto file = file_at(files, piece.offset);
  if (file == files.begin()) return nullptr;
  const std::uint64_t size = static_cast<std::uint64_t>(file->entry->size);
  if (piece.offset + piece.size > file->offset + size) return nullptr;
  const StreamFile& before = *(file - 1);
  if (before.entry->size != file->entry->size ||
      file_kind(before.entry->name) != file_kind(file->entry->name))
    return nullptr;
  if ((piece.offset - size) / block_size != (piece.offset + piece.size - 1) / block_size) return nullptr;
  return &before;
}

using CompressionContext = std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)>;

}  // namespace

double CompressionEstimate::saving() const {
  if (sampled_bytes == 0) return 0;
  return 1.0 - static_cast<double>(compressed_bytes) / static_cast<double>(sampled_bytes);
}

CompressionEstimate estimate_compression(const TreeScan& scan, const EstimateSettings& settings,
                                         const RangeReader& read) {
  CompressionEstimate estimate;
  if (!scan.ok()) {
    estimate.error = scan.error;
    return estimate;
  }
  const std::vector<StreamFile> files = stream_of(scan, estimate.total_bytes);
  const std::vector<SamplePiece> pieces = plan_sample(estimate.total_bytes, settings.piece_size, settings.max_pieces);
  if (pieces.empty()) return estimate;

  const CompressionContext context(ZSTD_createCCtx(), ZSTD_freeCCtx);
  if (!context || ZSTD_isError(ZSTD_CCtx_setParameter(context.get(), ZSTD_c_compressionLevel, settings.level))) {
    estimate.error = "cannot set up zstd at level " + std::to_string(settings.level);
    return estimate;
  }
  const std::size_t piece_size = static_cast<std::size_t>(settings.piece_size);
  std::vector<std::uint8_t> piece(piece_size);
  std::vector<std::uint8_t> frame(ZSTD_compressBound(piece_size));
  std::vector<std::uint8_t> original;
  for (const SamplePiece& p : pieces) {
    const std::size_t n = static_cast<std::size_t>(p.size);
    if (!read_stream(files, p.offset, piece.data(), n, read, estimate.error)) return estimate;
    bool copy = false;
    if (const StreamFile* copy_of = original_within_block(files, p, settings.block_size)) {
      original.resize(n);
      if (!read_stream(files, p.offset - static_cast<std::uint64_t>(copy_of->entry->size), original.data(), n, read,
                       estimate.error))
        return estimate;
      copy = std::equal(original.begin(), original.end(), piece.begin());
    }
    std::size_t cost = 0;  // a copy is one long match: a few bytes in the frame
    if (copy) {
      estimate.copied_bytes += n;
    } else {
      const std::size_t size = ZSTD_compress2(context.get(), frame.data(), frame.size(), piece.data(), n);
      if (ZSTD_isError(size)) {
        estimate.error = std::string("zstd: ") + ZSTD_getErrorName(size);
        return estimate;
      }
      cost = worth_compressing(n, size) ? size : n;
    }
    estimate.sampled_bytes += n;
    estimate.compressed_bytes += cost;
    ++estimate.pieces;
  }
  return estimate;
}

CompressionEstimate estimate_tree(const fs::path& root, const EstimateSettings& settings) {
  TreeScan scan = scan_tree(root);
  if (scan.ok()) order_by_kind(scan);
  return estimate_compression(scan, settings, read_file_range);
}
