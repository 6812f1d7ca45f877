#pragma once
// mkfileset --estimate: how much smaller zstd would make a folder's files,
// told in well under a second whatever their size. The files are taken as one
// stream in the packer's order, and evenly spread pieces of it
// (sample_plan.h) are compressed one by one, as the packer compresses its
// blocks: a piece that would be stored (block_rule.h) counts whole. Large
// files so get more pieces than small ones, and the same files always give the
// same figures. A piece of a file that repeats the file before it in one block
// counts as nothing: compressed alone it would not show, and the packer's
// order makes such copies common (kind_order.h). Checking one reads the
// original's bytes too, so the estimate reads at most twice its sample.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "payload/volume_format.h"
#include "tools/mkfileset/tree_scan.h"

struct EstimateSettings {
  std::uint64_t piece_size = 1 << 20;
  std::uint32_t max_pieces = 64;
  int level = 3;  // what --compress gives when no level is named
  std::uint64_t block_size = compressed_block_size;  // the packer's at that level
};

struct CompressionEstimate {
  std::string error;  // empty on success
  std::uint64_t total_bytes = 0;       // of every file
  std::uint64_t sampled_bytes = 0;     // read and compressed
  std::uint64_t compressed_bytes = 0;  // what the sample came to
  std::uint64_t copied_bytes = 0;      // of the sample, copies of the file before
  std::uint32_t pieces = 0;

  bool ok() const { return error.empty(); }
  // The share of the files' bytes compression would save, from 0 to 1; 0
  // for no data.
  double saving() const;
};

// Reads size bytes of file from offset into out; false with the reason in
// error. The estimate reads only through this.
using RangeReader = std::function<bool(const std::filesystem::path& file, std::uint64_t offset, std::uint8_t* out,
                                       std::size_t size, std::string& error)>;

// The estimate for a scanned tree (a refused scan gives its error).
CompressionEstimate estimate_compression(const TreeScan& scan, const EstimateSettings& settings,
                                         const RangeReader& read);

// Scans root and estimates it, reading the files from disk.
CompressionEstimate estimate_tree(const std::filesystem::path& root, const EstimateSettings& settings = {});
