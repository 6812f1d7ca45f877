#include "payload/payload_layout.h"

#include "core/string_list.h"

std::uint64_t PayloadLayout::file_bytes() const {
  std::uint64_t total = 0;
  for (const PayloadEntry& e : entries) total += e.kind == EntryKind::file ? e.size : 0;
  return total;
}

PayloadLayout layout_from(const std::uint8_t* names, std::size_t names_length, std::int32_t count,
                          std::uint64_t data_length, std::int64_t (*size_of)(const void*, std::int32_t),
                          const void* sizes) {
  PayloadLayout layout;
  layout.count = count;
  layout.data_length = data_length;
  // Sizes are checked against the data's length before they are added, so no
  // sum can wrap, whatever the table says.
  std::uint64_t file_bytes = 0;
  for (std::int32_t i = 0; i < count && layout.sizes_fill_data; ++i) {
    const std::int64_t size = size_of(sizes, i);
    if (size < 0) continue;
    if (static_cast<std::uint64_t>(size) > data_length - file_bytes) layout.sizes_fill_data = false;
    file_bytes += layout.sizes_fill_data ? static_cast<std::uint64_t>(size) : 0;
  }
  layout.sizes_fill_data = layout.sizes_fill_data && file_bytes == data_length;
  if (!layout.sizes_fill_data) return layout;

  std::uint64_t offset = 0;
  Tstring_reader reader(names, static_cast<std::int32_t>(names_length));
  std::string name;
  for (std::int32_t i = 0; i < count; ++i) {
    if (!reader.read(name)) {
      layout.names_exact = false;
      return layout;
    }
    const std::int64_t size = size_of(sizes, i);
    if (size < fileset_folder_size) continue;
    PayloadEntry entry;
    entry.index = i;
    entry.name = name;
    if (size == fileset_folder_size) {
      entry.kind = EntryKind::folder;
    } else {
      entry.size = static_cast<std::uint64_t>(size);
      entry.offset = offset;
      offset += entry.size;
    }
    layout.entries.push_back(std::move(entry));
  }
  if (reader.position() != static_cast<std::int32_t>(names_length)) layout.names_exact = false;
  return layout;
}

PayloadLayout layout_of(const FilesetView& fileset) {
  const auto size_of = [](const void* view, std::int32_t i) -> std::int64_t {
    return static_cast<const FilesetView*>(view)->entry_size(i);
  };
  return layout_from(fileset.names_block(), static_cast<std::size_t>(fileset.names_length()), fileset.count(),
                     static_cast<std::uint64_t>(fileset.data_length()), size_of, &fileset);
}
