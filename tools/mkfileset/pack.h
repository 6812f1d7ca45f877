#pragma once
// The packer: a folder tree in, a payload container out.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "payload/digest.h"
#include "payload/fileset_writer.h"
#include "tools/mkfileset/tree_scan.h"

// Builds the container of a scanned tree, reading each file as it goes. A
// file that cannot be read, or no longer has the size it had when scanned, is
// refused with its path in the error.
FilesetBuild pack_tree(const TreeScan& scan, Tchecksum& checksum);

struct PackOutcome {
  std::string error;  // empty on success
  std::int32_t entries = 0;
  std::size_t bytes = 0;

  bool ok() const { return error.empty(); }
};

// Scans root, packs it and writes the container to output. Nothing is left at
// output unless the whole container was written: it goes to a temporary file
// next to output that is renamed at the end or removed on failure. An output
// inside root is refused.
PackOutcome pack_directory(const std::filesystem::path& root, const std::filesystem::path& output,
                           Tchecksum& checksum);

// Writes bytes to path through a temporary file in the same folder.
bool write_file_atomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                           std::string& error);

// Reads a whole file; false with a reason when it cannot.
bool read_whole_file(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::string& error);
