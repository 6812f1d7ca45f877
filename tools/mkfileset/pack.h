#pragma once
// The packer: a folder tree in, a payload container and its checksums out.
// File contents are streamed through one fixed buffer, so the packer's memory
// stays flat whatever the payload's size.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "payload/digest.h"
#include "tools/mkfileset/tree_scan.h"

// The checksum file written next to a container: its name with ".sums" added.
std::filesystem::path sums_path_for(const std::filesystem::path& container);

struct PackOutcome {
  std::string error;  // empty on success
  std::int32_t entries = 0;
  std::size_t bytes = 0;  // of the container, or of the volume index
  std::uint32_t volumes = 0;     // data volumes written beside it, if any
  std::uint64_t data_bytes = 0;  // of file data in them
  std::uint64_t stored_bytes = 0;  // of blocks as stored, compressed or not

  bool ok() const { return error.empty(); }
};

// Packs a scanned tree into the container output and its checksums into
// sums_path_for(output), reading each file as it goes. A file that cannot be
// read, or no longer has the size it had when scanned, is refused with its
// path in the error. Both are written to temporary files next to them that
// are renamed at the end or removed on failure, so a refusal leaves earlier
// outputs as they were.
PackOutcome pack_tree(const TreeScan& scan, const std::filesystem::path& output, Tdigest& checksum);

// A file to add where root has none of that name (add_missing_file).
struct MissingFile {
  std::string name;
  std::filesystem::path source;
};

struct VolumePlan;

// Scans root, adds the missing files and packs it: into the container output,
// or with volumes into data volumes and the volume index output
// (tools/mkfileset/pack_volumes.h). An output inside root is refused.
// added: the names of the files that were added.
PackOutcome pack_directory(const std::filesystem::path& root, const std::filesystem::path& output,
                           Tdigest& checksum, const std::vector<MissingFile>& missing = {},
                           std::vector<std::string>* added = nullptr, const VolumePlan* volumes = nullptr);

// Reads a whole file; false with a reason when it cannot.
bool read_whole_file(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::string& error);
