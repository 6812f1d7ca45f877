#include "payload/fileset_writer.h"

#include <cstring>
#include <limits>
#include <utility>

#include "core/short_string.h"

FilesetEntry FilesetEntry::file(std::string name, std::string contents) {
  FilesetEntry entry;
  entry.name = std::move(name);
  // A size that does not fit is left negative and refused by the build.
  entry.size = contents.size() <= std::size_t(std::numeric_limits<std::int32_t>::max())
                   ? static_cast<std::int32_t>(contents.size())
                   : std::numeric_limits<std::int32_t>::min();
  entry.contents = std::move(contents);
  return entry;
}

FilesetEntry FilesetEntry::folder(std::string name) {
  FilesetEntry entry;
  entry.name = std::move(name);
  entry.size = fileset_folder_size;
  return entry;
}

FilesetEntry FilesetEntry::passed_over(std::string name, std::int32_t size) {
  FilesetEntry entry;
  entry.name = std::move(name);
  entry.size = size;
  return entry;
}

namespace {

constexpr std::uint64_t int32_max = std::uint64_t(std::numeric_limits<std::int32_t>::max());

FilesetLayout refuse_layout(std::string error, std::int32_t entry = -1) {
  FilesetLayout layout;
  layout.error = std::move(error);
  layout.failed_entry = entry;
  return layout;
}

FilesetBuild refuse_build(std::string error, std::int32_t entry = -1) {
  FilesetBuild build;
  build.error = std::move(error);
  build.failed_entry = entry;
  return build;
}

void put_int32_le(std::uint8_t* p, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

}  // namespace

FilesetLayout plan_fileset(const std::vector<FilesetEntry>& entries) {
  // The size table is 4 bytes per entry and must itself fit a 32-bit length.
  if (entries.size() > (int32_max - fileset_header_size) / 4)
    return refuse_layout("too many entries for a container");
  std::uint64_t names = 0;
  std::uint64_t data = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto index = static_cast<std::int32_t>(i);
    const FilesetEntry& entry = entries[i];
    if (entry.name.size() > short_string_max)
      return refuse_layout("name longer than 255 bytes", index);
    names += 1 + entry.name.size();
    if (entry.size >= 0) data += static_cast<std::uint64_t>(entry.size);
    // Checked as it grows so that the sum cannot wrap for any entry count.
    if (names > int32_max) return refuse_layout("with this name the names block would exceed 2 GiB", index);
    if (data > int32_max) return refuse_layout("with this file the file data would exceed 2 GiB", index);
  }
  const std::uint64_t total = fileset_header_size + 4 * std::uint64_t(entries.size()) + names + data;
  if (total > int32_max) return refuse_layout("the container would exceed 2 GiB");

  FilesetLayout layout;
  layout.count = static_cast<std::int32_t>(entries.size());
  layout.names_length = static_cast<std::int32_t>(names);
  layout.data_length = static_cast<std::int32_t>(data);
  layout.total_size = static_cast<std::uint32_t>(total);
  return layout;
}

std::vector<std::uint8_t> fileset_head(const std::vector<FilesetEntry>& entries, const FilesetLayout& layout) {
  std::vector<std::uint8_t> head(fileset_header_size + 4 * std::size_t(layout.count) + std::size_t(layout.names_length));
  std::uint8_t* const image = head.data();
  put_int32_le(image, layout.count);
  put_int32_le(image + 4, layout.names_length);
  put_int32_le(image + 8, layout.data_length);
  std::uint8_t* sizes = image + fileset_header_size;
  std::uint8_t* names = sizes + 4 * std::size_t(layout.count);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const FilesetEntry& entry = entries[i];
    put_int32_le(sizes + 4 * i, entry.size);
    *names++ = static_cast<std::uint8_t>(entry.name.size());
    if (!entry.name.empty()) std::memcpy(names, entry.name.data(), entry.name.size());
    names += entry.name.size();
  }
  return head;
}

FilesetBuild build_fileset(const std::vector<FilesetEntry>& entries, Tdigest& checksum) {
  const FilesetLayout layout = plan_fileset(entries);
  if (!layout.ok()) return refuse_build(layout.error, layout.failed_entry);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const FilesetEntry& entry = entries[i];
    const std::size_t expected = entry.size >= 0 ? static_cast<std::size_t>(entry.size) : 0;
    if (entry.contents.size() != expected)
      return refuse_build(entry.size >= 0 ? "contents do not match the file size"
                                          : "a folder or passed-over entry has contents",
                          static_cast<std::int32_t>(i));
  }
  FilesetBuild build;
  build.bytes = fileset_head(entries, layout);
  build.bytes.reserve(layout.total_size);
  for (const FilesetEntry& entry : entries) build.bytes.insert(build.bytes.end(), entry.contents.begin(), entry.contents.end());

  const auto view = FilesetView::open(build.bytes.data(), build.bytes.size());
  if (!view) return refuse_build("internal error: the container does not open");
  checksum.digest_container(*view);
  std::memcpy(build.bytes.data() + 12, checksum.digest().data(), checksum.digest().size());
  return build;
}
