#include "payload/fileset_sums.h"

#include <algorithm>

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
  return xxh3_64(fileset.image(), fileset.data_offset());
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

SumsVerdict check_fileset_head(const FilesetView& fileset, const FilesetSums& sums) {
  SumsVerdict verdict;
  if (fileset.size() != sums.container_size() || fileset.count() != sums.count()) {
    verdict.result = SumsCheck::other_container;
  } else if (fileset_metadata_sum(fileset) != sums.metadata_sum()) {
    verdict.result = SumsCheck::metadata_differs;
  }
  return verdict;
}

EntrySumsCheck::EntrySumsCheck(const FilesetView& fileset, const FilesetSums& sums)
    : fileset_(fileset), sums_(sums) {
  next_entry();
}

// Completes the entries that need no (more) bytes: folders, passed-over
// entries and empty files, and a file whose last byte came.
void EntrySumsCheck::next_entry() {
  while (index_ < fileset_.count()) {
    if (in_file_) {
      if (left_ > 0) return;
      compare(hash_.digest());
      in_file_ = false;
      ++index_;
      continue;
    }
    const std::int32_t size = fileset_.entry_size(index_);
    if (size < 0) {
      compare(0);
      ++index_;
      continue;
    }
    in_file_ = true;
    left_ = static_cast<std::uint64_t>(size);
    hash_.reset();
  }
}

void EntrySumsCheck::compare(std::uint64_t sum) {
  if (sum != sums_.entry_sum(index_) && verdict_.ok()) {
    verdict_.result = SumsCheck::file_differs;
    verdict_.entry = index_;
  }
}

void EntrySumsCheck::feed(const std::uint8_t* p, std::size_t n) {
  while (n > 0) {
    if (!in_file_) {
      // Bytes that belong to no file.
      extra_ += n;
      return;
    }
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(n, left_));
    hash_.update(p, take);
    left_ -= take;
    p += take;
    n -= take;
    next_entry();
  }
}

SumsVerdict EntrySumsCheck::finish() {
  if (verdict_.ok() && (in_file_ || extra_ > 0)) verdict_.result = SumsCheck::data_not_covered;
  return verdict_;
}

SumsVerdict check_fileset_sums(const FilesetView& fileset, const FilesetSums& sums) {
  const SumsVerdict head = check_fileset_head(fileset, sums);
  if (!head.ok()) return head;
  // The container's own bounds check keeps every file inside the data block.
  EntrySumsCheck entries(fileset, sums);
  entries.feed(fileset.data_block(), static_cast<std::size_t>(fileset.data_length()));
  return entries.finish();
}
