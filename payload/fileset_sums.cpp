#include "payload/fileset_sums.h"

#include <cstring>

#include "payload/xxh3.h"

namespace {

std::uint32_t read_uint32_le(const std::uint8_t* p) { return static_cast<std::uint32_t>(read_int32_le(p)); }

std::uint64_t read_uint64_le(const std::uint8_t* p) {
  return std::uint64_t{read_uint32_le(p)} | (std::uint64_t{read_uint32_le(p + 4)} << 32);
}

void put_uint32_le(std::uint8_t* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void put_uint64_le(std::uint8_t* p, std::uint64_t value) {
  put_uint32_le(p, static_cast<std::uint32_t>(value));
  put_uint32_le(p + 4, static_cast<std::uint32_t>(value >> 32));
}

constexpr std::size_t count_offset = 8;
constexpr std::size_t container_size_offset = 12;
constexpr std::size_t metadata_sum_offset = 16;

}  // namespace

std::optional<FilesetSums> FilesetSums::open(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr || size < fileset_sums_size(0)) return std::nullopt;
  if (std::memcmp(bytes, fileset_sums_magic, sizeof fileset_sums_magic) != 0) return std::nullopt;
  if (read_uint32_le(bytes + 4) != fileset_sums_version) return std::nullopt;
  const std::int32_t count = read_int32_le(bytes + count_offset);
  if (count < 0 || fileset_sums_size(count) != size) return std::nullopt;
  const std::size_t covered = size - fileset_sums_trailer_size;
  if (xxh3_64(bytes, covered) != read_uint64_le(bytes + covered)) return std::nullopt;
  return FilesetSums(bytes);
}

std::int32_t FilesetSums::count() const { return read_int32_le(bytes_ + count_offset); }
std::uint32_t FilesetSums::container_size() const { return read_uint32_le(bytes_ + container_size_offset); }
std::uint64_t FilesetSums::metadata_sum() const { return read_uint64_le(bytes_ + metadata_sum_offset); }

std::uint64_t FilesetSums::entry_sum(std::int32_t index) const {
  return read_uint64_le(bytes_ + fileset_sums_header_size + fileset_sums_entry_size * std::size_t(index));
}

std::uint64_t fileset_metadata_sum(const FilesetView& fileset) {
  const auto length = static_cast<std::size_t>(fileset.data_block() - fileset.image());
  return xxh3_64(fileset.image(), length);
}

std::vector<std::uint8_t> encode_fileset_sums(std::uint32_t container_size, std::uint64_t metadata_sum,
                                              const std::vector<std::uint64_t>& entry_sums) {
  std::vector<std::uint8_t> out(
      static_cast<std::size_t>(fileset_sums_size(static_cast<std::int32_t>(entry_sums.size()))));
  std::uint8_t* p = out.data();
  std::memcpy(p, fileset_sums_magic, sizeof fileset_sums_magic);
  put_uint32_le(p + 4, fileset_sums_version);
  put_uint32_le(p + count_offset, static_cast<std::uint32_t>(entry_sums.size()));
  put_uint32_le(p + container_size_offset, container_size);
  put_uint64_le(p + metadata_sum_offset, metadata_sum);
  p += fileset_sums_header_size;
  for (const std::uint64_t sum : entry_sums) {
    put_uint64_le(p, sum);
    p += fileset_sums_entry_size;
  }
  put_uint64_le(p, xxh3_64(out.data(), out.size() - fileset_sums_trailer_size));
  return out;
}

std::vector<std::uint8_t> make_fileset_sums(const FilesetView& fileset) {
  std::vector<std::uint64_t> sums(static_cast<std::size_t>(fileset.count()), 0);
  std::size_t offset = 0;
  for (std::int32_t i = 0; i < fileset.count(); ++i) {
    const std::int32_t size = fileset.entry_size(i);
    if (size < 0) continue;
    sums[static_cast<std::size_t>(i)] = xxh3_64(fileset.data_block() + offset, static_cast<std::size_t>(size));
    offset += static_cast<std::size_t>(size);
  }
  return encode_fileset_sums(static_cast<std::uint32_t>(fileset.size()), fileset_metadata_sum(fileset), sums);
}

SumsVerdict check_fileset_sums(const FilesetView& fileset, const FilesetSums& sums) {
  SumsVerdict verdict;
  if (fileset.size() != sums.container_size() || fileset.count() != sums.count()) {
    verdict.result = SumsCheck::other_container;
    return verdict;
  }
  if (fileset_metadata_sum(fileset) != sums.metadata_sum()) {
    verdict.result = SumsCheck::metadata_differs;
    return verdict;
  }
  // The container's own bounds check keeps every file inside the data block.
  std::size_t offset = 0;
  for (std::int32_t i = 0; i < fileset.count(); ++i) {
    const std::int32_t size = fileset.entry_size(i);
    std::uint64_t sum = 0;
    if (size >= 0) {
      sum = xxh3_64(fileset.data_block() + offset, static_cast<std::size_t>(size));
      offset += static_cast<std::size_t>(size);
    }
    if (sum != sums.entry_sum(i)) {
      verdict.result = SumsCheck::file_differs;
      verdict.entry = i;
      return verdict;
    }
  }
  if (offset != static_cast<std::size_t>(fileset.data_length())) verdict.result = SumsCheck::data_not_covered;
  return verdict;
}
