#pragma once
// The checksums of a payload container (layout in fileset_sums_format.h):
// making them, reading them from bytes, and checking a container against them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "payload/fileset.h"
#include "payload/fileset_sums_format.h"
#include "payload/xxh3.h"

class FilesetSums {
 public:
  // The checksums in the size bytes at bytes, or nothing when they are not a
  // checksum resource of this version or their own checksum does not match.
  static std::optional<FilesetSums> open(const std::uint8_t* bytes, std::size_t size);

  std::int32_t count() const;
  std::uint32_t container_size() const;
  std::uint64_t metadata_sum() const;
  std::uint64_t entry_sum(std::int32_t index) const;  // 0 <= index < count

 private:
  explicit FilesetSums(const std::uint8_t* bytes) : bytes_(bytes) {}
  const std::uint8_t* bytes_;
};

// XXH3-64 of the container's header, size table and names block.
std::uint64_t fileset_metadata_sum(const FilesetView& fileset);

// The checksum resource for a container of container_size bytes whose
// metadata and entries have these checksums.
std::vector<std::uint8_t> encode_fileset_sums(std::uint32_t container_size, std::uint64_t metadata_sum,
                                              const std::vector<std::uint64_t>& entry_sums);

// The checksums of a container held in memory whose view spans exactly the
// container (nothing after its data block).
std::vector<std::uint8_t> make_fileset_sums(const FilesetView& fileset);

enum class SumsCheck {
  ok,
  other_container,   // the checksums are for a container of another size or count
  metadata_differs,  // header, size table or names block damaged
  data_not_covered,  // the file entries do not fill the data block exactly
  file_differs,      // a file's contents damaged (entry says which)
};

struct SumsVerdict {
  SumsCheck result = SumsCheck::ok;
  std::int32_t entry = -1;
  bool ok() const { return result == SumsCheck::ok; }
};

// Checks every byte of the container against the checksums. The view must
// span exactly the container: bytes after its data block are damage too.
SumsVerdict check_fileset_sums(const FilesetView& fileset, const FilesetSums& sums);

// The part of that check that needs no data: the checksums belong to a
// container of this size and count, and header, size table and names match.
SumsVerdict check_fileset_head(const FilesetView& fileset, const FilesetSums& sums);

// The part that does: the data block's bytes, fed in order in pieces of any
// size, against each entry's checksum, in size-table order.
class EntrySumsCheck {
 public:
  EntrySumsCheck(const FilesetView& fileset, const FilesetSums& sums);
  EntrySumsCheck(const EntrySumsCheck&) = delete;
  EntrySumsCheck& operator=(const EntrySumsCheck&) = delete;

  void feed(const std::uint8_t* p, std::size_t n);
  // The first entry whose contents differ, or data_not_covered when the files
  // do not fill the bytes fed exactly.
  SumsVerdict finish();

 private:
  void next_entry();
  void compare(std::uint64_t sum);

  const FilesetView& fileset_;
  const FilesetSums& sums_;
  std::int32_t index_ = 0;
  bool in_file_ = false;
  std::uint64_t left_ = 0;
  std::uint64_t extra_ = 0;
  Xxh3Stream hash_;
  SumsVerdict verdict_;
};
