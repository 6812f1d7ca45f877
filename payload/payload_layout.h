#pragma once
// What the installation needs to know of a payload's entries, whichever form
// it travels in (one container, or an index with data volumes): each entry's
// name, kind, 64-bit size and where its bytes lie in the file data stream.

#include <cstdint>
#include <string>
#include <vector>

#include "payload/fileset.h"

struct PayloadEntry {
  std::int32_t index = 0;  // in the stored size table (for its checksum)
  std::string name;        // relative, "\"-separated, Windows-1252
  EntryKind kind = EntryKind::file;
  std::uint64_t size = 0;    // files
  std::uint64_t offset = 0;  // of a file's first byte in the data stream
};

struct PayloadLayout {
  std::int32_t count = 0;  // stored entries, passed-over ones included
  std::uint64_t data_length = 0;
  std::vector<PayloadEntry> entries;  // files and folders, in stored order
  // Whether the names block holds exactly count names, and the file sizes
  // fill the data exactly; the plan refuses a payload where either fails.
  bool names_exact = true;
  bool sizes_fill_data = true;

  std::uint64_t file_bytes() const;
};

// The entries of a container; entries with a size below -1 are passed over.
PayloadLayout layout_of(const FilesetView& fileset);

// Reads count names from a names block (one length byte and that many
// characters each) with their sizes (>= 0 a file, -1 a folder, below -1
// passed over) into a layout. Shared by both payload forms.
PayloadLayout layout_from(const std::uint8_t* names, std::size_t names_length, std::int32_t count,
                          std::uint64_t data_length, std::int64_t (*size_of)(const void*, std::int32_t),
                          const void* sizes);
