#include "payload/fileset.h"

#include <limits>

#include "core/string_list.h"

std::int32_t read_int32_le(const std::uint8_t* p) {
  const std::uint32_t u = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                          (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<std::int32_t>(u);
}

std::optional<std::uint64_t> FilesetView::head_size(const std::uint8_t* header) {
  const std::int32_t count = read_int32_le(header);
  const std::int32_t names_length = read_int32_le(header + 4);
  if (count < 0 || names_length < 0) return std::nullopt;
  return std::uint64_t{fileset_header_size} + 4 * std::uint64_t(count) + std::uint64_t(names_length);
}

std::optional<FilesetView> FilesetView::open(const std::uint8_t* image, std::size_t size) {
  return open_within(image, size, size, false);
}

std::optional<FilesetView> FilesetView::open_head(const std::uint8_t* head, std::size_t head_size,
                                                  std::size_t container_size) {
  return open_within(head, head_size, container_size, true);
}

// readable: the bytes at image; size: those of the whole container.
std::optional<FilesetView> FilesetView::open_within(const std::uint8_t* image, std::size_t readable,
                                                    std::size_t size, bool head_only) {
  if (image == nullptr || readable < fileset_header_size || readable > size) return std::nullopt;
  const std::optional<std::uint64_t> head = head_size(image);
  const std::int32_t count = read_int32_le(image);
  const std::int32_t data_length = read_int32_le(image + 8);
  if (!head || data_length < 0 || *head > readable) return std::nullopt;

  // 64-bit sums cannot wrap for 32-bit inputs. The whole container must also
  // fit a signed 32-bit length, which is what the digest takes per region.
  const std::uint64_t total = *head + std::uint64_t(data_length);
  if (total > size || total > std::uint64_t(std::numeric_limits<std::int32_t>::max())) return std::nullopt;
  if (!head_only && total > readable) return std::nullopt;

  // Every file's contents must lie inside the data block, whether or not the
  // names block reaches its entry.
  std::uint64_t file_bytes = 0;
  const std::uint8_t* table = image + fileset_header_size;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t entry_size = read_int32_le(table + 4 * static_cast<std::size_t>(i));
    if (entry_size >= 0) file_bytes += static_cast<std::uint64_t>(entry_size);
  }
  if (file_bytes > std::uint64_t(data_length)) return std::nullopt;
  return FilesetView(image, size, head_only);
}

std::int32_t FilesetView::count() const { return read_int32_le(image_); }
std::int32_t FilesetView::names_length() const { return read_int32_le(image_ + 4); }
std::int32_t FilesetView::data_length() const { return read_int32_le(image_ + 8); }

Tcode FilesetView::stored_digest() const {
  Tcode digest;
  for (std::size_t k = 0; k < digest.size(); ++k) digest[k] = image_[12 + k];
  return digest;
}

std::int32_t FilesetView::entry_size(std::int32_t index) const {
  return read_int32_le(size_table() + 4 * static_cast<std::size_t>(index));
}

const std::uint8_t* FilesetView::size_table() const { return image_ + fileset_header_size; }

const std::uint8_t* FilesetView::names_block() const {
  return size_table() + 4 * static_cast<std::size_t>(count());
}

std::size_t FilesetView::data_offset() const {
  return fileset_header_size + 4 * static_cast<std::size_t>(count()) + static_cast<std::size_t>(names_length());
}

const std::uint8_t* FilesetView::data_block() const { return head_only_ ? nullptr : image_ + data_offset(); }

void for_each_entry(const FilesetView& fileset, const std::function<bool(const Tpayload_entry&)>& visit) {
  Tstring_reader names(fileset.names_block(), fileset.names_length());
  const std::uint8_t* data = fileset.data_block();
  const std::int32_t count = fileset.count();
  Tpayload_entry entry;
  std::uint32_t data_offset = 0;
  // The index is checked before a name is read: names beyond count stay unread.
  for (std::int32_t index = 0; index < count && names.read(entry.name); ++index) {
    const std::int32_t size = fileset.entry_size(index);
    if (size < fileset_folder_size) continue;
    entry.index = index;
    entry.size = size;
    if (size == fileset_folder_size) {
      entry.kind = EntryKind::folder;
      entry.data_offset = 0;
      entry.data = nullptr;
    } else {
      entry.kind = EntryKind::file;
      entry.data_offset = data_offset;
      entry.data = data ? data + data_offset : nullptr;
      data_offset += static_cast<std::uint32_t>(size);
    }
    if (!visit(entry)) return;
  }
}
