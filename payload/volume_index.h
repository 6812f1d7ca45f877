#pragma once
// The block index setup.exe carries (layout in payload/volume_format.h):
// reading it from bytes, making it, and the header of each volume.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/sha256.h"
#include "payload/block_decoder.h"
#include "payload/digest.h"
#include "payload/payload_layout.h"
#include "payload/volume_format.h"

// Where a volume's bytes lie in the stored stream, and its blocks.
struct VolumeSpan {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  std::uint64_t first_block = 0;
  std::uint64_t end_block = 0;  // one past its last block
};

// One block of the file data as the index describes it.
struct BlockEntry {
  std::uint32_t stored_size = 0;
  BlockMethod method = BlockMethod::stored;
  Sha256Digest digest{};         // of the stored bytes
  std::uint64_t sum = 0;         // XXH3-64 of the original bytes
  std::uint64_t stored_offset = 0;  // in the stored stream
  std::uint32_t original_size = 0;
  std::uint32_t volume = 0;      // the volume it lies in; 0 in setup.exe
};

class VolumeIndex {
 public:
  // The index in the size bytes at bytes, or nothing when they are not an
  // index of this version: a field out of range, regions that do not fill
  // the bytes exactly, a block whose stored size does not fit its method or
  // the volumes, a volume name that is not a plain file name, or an own sum
  // that does not match. Nothing reads outside the size bytes.
  static std::optional<VolumeIndex> open(const std::uint8_t* bytes, std::size_t size);

  std::int32_t count() const { return header_.count; }
  // 0 when the blocks lie in setup.exe itself.
  std::uint32_t volume_count() const { return header_.volume_count; }
  bool in_program() const { return header_.volume_count == 0; }
  std::uint32_t block_size() const { return header_.block_size; }
  std::uint64_t data_length() const { return header_.data_length; }
  std::uint64_t stored_length() const { return stored_length_; }
  std::uint64_t build_id() const { return header_.build_id; }
  std::uint64_t block_count() const;
  // Whether any block is compressed.
  bool compressed() const { return compressed_; }
  const std::string& volume_name() const { return volume_name_; }

  std::int64_t entry_size(std::int32_t index) const;  // 0 <= index < count
  std::uint64_t entry_sum(std::int32_t index) const;
  BlockEntry block(std::uint64_t number) const;  // number < block_count
  // Where volume number (1 to volume_count) holds its blocks.
  VolumeSpan volume(std::uint32_t number) const;
  // The file name of volume number: "<volume name>-<number>.bin".
  std::string volume_file(std::uint32_t number) const;

  PayloadLayout layout() const;

  // The keyed digest of the index; true exactly when it equals the stored one.
  // Leaves the digest in checksum, where it names the installation's entry.
  bool verify_digest(Tdigest& checksum) const;

 private:
  VolumeIndex(const std::uint8_t* bytes, std::size_t size, const Tvolume_index_header& header)
      : bytes_(bytes), size_(size), header_(header) {}
  const std::uint8_t* sizes() const { return bytes_ + volume_index_header_size; }
  bool place_blocks();

  const std::uint8_t* bytes_;
  std::size_t size_;
  Tvolume_index_header header_;
  std::string volume_name_;
  std::size_t names_at_ = 0, blocks_at_ = 0, entry_sums_at_ = 0;
  std::uint64_t stored_length_ = 0;
  bool compressed_ = false;
  std::vector<std::uint64_t> stored_offsets_;  // per block, and one past the last
  std::vector<std::uint64_t> volume_starts_;   // first block of each volume, and block_count
};

// Whether block e's stored bytes match their SHA-256 and, when compressed,
// decode into out (original_size bytes) to bytes of the maker's checksum.
// A stored block is used where it was read: out is not touched.
bool block_is_sound(const BlockEntry& e, const std::uint8_t* stored, std::uint8_t* out, BlockDecoder& decoder);

// A volume's header, read from its first 64 bytes: nothing unless the magic,
// version and own sum match.
std::optional<Tvolume_header> read_volume_header(const std::uint8_t* bytes, std::size_t size);

// Why a volume cannot be used, as the setup tells the user.
enum class VolumeFault {
  none,
  missing,      // no such file, or it cannot be opened
  truncated,    // shorter than its header says (or longer)
  other_build,  // a volume of another build, or with another number
  damaged,      // its header or a block's bytes differ from their checksums
};

// Whether header belongs to volume number of index, and a file of file_size
// bytes holds exactly what it says.
VolumeFault check_volume_header(const VolumeIndex& index, std::uint32_t number,
                                const std::optional<Tvolume_header>& header, std::uint64_t file_size);

// Making volumes and an index (the packer, and tests).
struct PackedBlock {
  std::uint32_t stored_size = 0;
  BlockMethod method = BlockMethod::stored;
  Sha256Digest digest{};
  std::uint64_t sum = 0;
};

struct VolumeIndexInput {
  std::vector<std::int64_t> sizes;  // per entry: >= 0 a file, -1 a folder
  std::vector<std::string> names;
  std::string volume_name;
  std::uint32_t block_size = default_block_size;
  std::uint64_t volume_capacity = 0;  // 0: the blocks lie in setup.exe
  std::vector<PackedBlock> blocks;
  std::vector<std::uint64_t> entry_sums;
};

// The index bytes with its build id, digest and own sum filled in.
std::vector<std::uint8_t> encode_volume_index(const VolumeIndexInput& input, Tdigest& checksum);
std::vector<std::uint8_t> encode_volume_header(std::uint32_t number, std::uint32_t volume_count,
                                               std::uint64_t build_id, VolumeSpan span, std::uint64_t stored_length);

// The volumes blocks of these stored sizes take at capacity bytes each: a
// volume holds whole blocks, as many as fit. Each volume's first block, then
// the block count; empty when a block is larger than capacity (or capacity
// is 0). No blocks still take one volume.
std::vector<std::uint64_t> place_in_volumes(const std::vector<std::uint32_t>& stored_sizes, std::uint64_t capacity);
// How many volumes data_length bytes take at capacity bytes each (at least
// one), when capacity is a whole number of blocks stored as they are.
std::uint32_t volumes_needed(std::uint64_t data_length, std::uint64_t capacity);
