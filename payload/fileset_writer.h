#pragma once
// Builds a payload container in memory: header, size table, names block, data
// block and the stored digest, laid out as in payload/fileset_format.h. The
// packer uses it for real payloads; tests use it to make containers, including
// odd ones (passed-over sizes, names the installer must refuse), so it checks
// only what the layout itself cannot hold. Whether a name is safe to install is
// the caller's business.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "payload/digest.h"

struct FilesetEntry {
  std::string name;      // Windows-1252, at most 255 bytes, written as given
  std::int32_t size = 0; // >= 0 a file, -1 a folder, below -1 passed over
  std::string contents;  // a file's bytes; must be empty for any other size

  static FilesetEntry file(std::string name, std::string contents);
  static FilesetEntry folder(std::string name);
  // An entry with a size below -1, which the installer passes over.
  static FilesetEntry passed_over(std::string name, std::int32_t size);
};

// The outcome of a build: the container bytes, or why there are none.
struct FilesetBuild {
  std::vector<std::uint8_t> bytes;
  std::string error;               // empty exactly when the build succeeded
  std::int32_t failed_entry = -1;  // the entry the error is about, -1 for the whole set

  bool ok() const { return error.empty(); }
};

// The sizes of the regions of a container for entries, before anything is
// allocated. Refused when a name is longer than 255 bytes or when count, a
// length or the total would not fit a signed 32-bit field.
struct FilesetLayout {
  std::int32_t count = 0;
  std::int32_t names_length = 0;
  std::int32_t data_length = 0;
  std::uint32_t total_size = 0;
  std::string error;
  std::int32_t failed_entry = -1;

  bool ok() const { return error.empty(); }
};
FilesetLayout plan_fileset(const std::vector<FilesetEntry>& entries);

// Builds the container of entries whose contents are held in the entries.
// Refused also when a file's contents do not have its size. For tests and
// small containers; the packer streams (tools/mkfileset/pack.h).
FilesetBuild build_fileset(const std::vector<FilesetEntry>& entries, Tdigest& checksum);

// The container's first bytes for entries laid out as layout (a layout that
// plan_fileset accepted): the header with a zero digest, the size table and
// the names block. The data block and the digest follow; the packer streams
// them, build_fileset fills them in memory.
std::vector<std::uint8_t> fileset_head(const std::vector<FilesetEntry>& entries, const FilesetLayout& layout);
