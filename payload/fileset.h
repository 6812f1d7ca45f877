#pragma once
// A read-only view of a payload container held in memory (the resource, or a
// file the packer reads back) and the walk over its entries.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "payload/fileset_format.h"

enum class EntryKind { file, folder };

struct Tpayload_entry {
  std::int32_t index = 0;
  std::string name;                 // relative, "\"-separated, up to 255 characters
  std::int32_t size = 0;            // as stored: >= 0 for a file, -1 for a folder
  EntryKind kind = EntryKind::file;
  std::uint32_t data_offset = 0;    // within the data block (files)
  const std::uint8_t* data = nullptr;  // the file's contents (files)
};

class FilesetView {
 public:
  // A view of the size bytes at image, or nothing when they cannot be a
  // container: shorter than the header, a negative count or length, regions
  // that do not fit inside size bytes, a total beyond 2 GiB, or file sizes
  // that add up to more than the data block. Bytes after the data block are
  // ignored. Such a container fails verification like a wrong digest,
  // and nothing ever reads outside the size bytes.
  static std::optional<FilesetView> open(const std::uint8_t* image, std::size_t size);
  // A view of a container's head alone (header, size table, names block:
  // head_size bytes at head) whose whole is container_size bytes, checked as
  // open checks a whole one. Its data block is not at hand: data_block()
  // gives null, and the data is read from elsewhere.
  static std::optional<FilesetView> open_head(const std::uint8_t* head, std::size_t head_size,
                                              std::size_t container_size);
  // Bytes of the head of a container whose first 12 bytes are at header, or
  // nothing when its fields are negative.
  static std::optional<std::uint64_t> head_size(const std::uint8_t* header);

  std::int32_t count() const;
  std::int32_t names_length() const;
  std::int32_t data_length() const;
  Tcode stored_digest() const;
  std::int32_t entry_size(std::int32_t index) const;  // 0 <= index < count

  const std::uint8_t* image() const { return image_; }
  std::size_t size() const { return size_; }
  const std::uint8_t* size_table() const;
  const std::uint8_t* names_block() const;
  const std::uint8_t* data_block() const;
  // Where the data block starts, from the start of the container.
  std::size_t data_offset() const;

 private:
  FilesetView(const std::uint8_t* image, std::size_t size, bool head_only)
      : image_(image), size_(size), head_only_(head_only) {}
  static std::optional<FilesetView> open_within(const std::uint8_t* image, std::size_t readable, std::size_t size,
                                                bool head_only);
  const std::uint8_t* image_;
  std::size_t size_;
  bool head_only_;
};

// Visits the file and folder entries in stored order; entries with a size
// below -1 are passed over without consuming data. The walk reads the next
// name first and stops when the names run out or the index reaches count,
// whichever comes first, or when visit returns false.
void for_each_entry(const FilesetView& fileset, const std::function<bool(const Tpayload_entry&)>& visit);

std::int32_t read_int32_le(const std::uint8_t* p);
