#include "payload/volume_index.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "payload/xxh3.h"

// The formats are little-endian, as every machine this program runs on is.
static_assert(sizeof(std::uint64_t) == 8, "64-bit fields");

namespace {

std::uint64_t read_u64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::uint32_t read_u32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void append_u64(std::vector<std::uint8_t>& out, std::uint64_t v) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
  out.insert(out.end(), p, p + sizeof v);
}

void append_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
  out.insert(out.end(), p, p + sizeof v);
}

bool power_of_two(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

// A volume name is a plain file name: the volumes lie beside the setup.
bool plain_file_name(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || std::strchr("\\/:*?\"<>|", c)) return false;
  }
  return name.back() != '.' && name.back() != ' ';
}

// The keyed digest of an index whose body (after the header) ends at
// body_end. Its blocks overlap and leave out much of a long region, so the
// body goes in through its SHA-256, which covers every byte.
void digest_index(Tdigest& checksum, const std::uint8_t* bytes, std::size_t body_end) {
  const Sha256Digest body = sha256(bytes + volume_index_header_size, body_end - volume_index_header_size);
  checksum.reset_digest();
  checksum.absorb_region(bytes, volume_index_digest_offset, fileset_tag_index_header);
  checksum.absorb_region(body.data(), static_cast<std::int32_t>(body.size()), fileset_tag_index_body);
}

std::uint64_t blocks_for(std::uint64_t data_length, std::uint32_t block_size) {
  return data_length / block_size + (data_length % block_size ? 1 : 0);
}

}  // namespace

std::uint32_t volumes_needed(std::uint64_t data_length, std::uint64_t capacity) {
  if (capacity == 0) return 0;
  const std::uint64_t n = data_length / capacity + (data_length % capacity ? 1 : 0);
  if (n > std::numeric_limits<std::uint32_t>::max()) return 0;
  return n == 0 ? 1 : static_cast<std::uint32_t>(n);
}

std::vector<std::uint64_t> place_in_volumes(const std::vector<std::uint32_t>& stored_sizes, std::uint64_t capacity) {
  std::vector<std::uint64_t> starts{0};
  std::uint64_t in_volume = 0;
  for (std::size_t b = 0; b < stored_sizes.size(); ++b) {
    if (stored_sizes[b] > capacity) return {};
    if (in_volume + stored_sizes[b] > capacity) {
      starts.push_back(b);
      in_volume = 0;
    }
    in_volume += stored_sizes[b];
  }
  starts.push_back(stored_sizes.size());
  return starts;
}

std::optional<VolumeIndex> VolumeIndex::open(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr || size < volume_index_header_size) return std::nullopt;
  Tvolume_index_header h;
  std::memcpy(&h, bytes, sizeof h);
  if (std::memcmp(h.magic, volume_index_magic, 4) != 0 || h.version != volume_format_version) return std::nullopt;
  if (h.count < 0 || h.names_length < 0) return std::nullopt;
  if (!power_of_two(h.block_size) || h.block_size < smallest_block_size || h.block_size > largest_block_size)
    return std::nullopt;
  if ((h.volume_count == 0) != (h.volume_capacity == 0)) return std::nullopt;

  // Each region is checked against the bytes left before the next is placed,
  // so that no position can pass the end, whatever the fields say.
  const std::uint64_t blocks = blocks_for(h.data_length, h.block_size);
  std::uint64_t at = volume_index_header_size;
  const auto take = [&at, size](std::uint64_t n) {
    if (n > size - at) return false;
    at += n;
    return true;
  };
  VolumeIndex index(bytes, size, h);
  const std::uint64_t count = static_cast<std::uint64_t>(h.count);
  if (!take(8 * count)) return std::nullopt;
  index.names_at_ = static_cast<std::size_t>(at);
  if (!take(static_cast<std::uint64_t>(h.names_length)) || !take(1)) return std::nullopt;
  const std::uint8_t name_length = bytes[at - 1];
  if (!take(name_length)) return std::nullopt;
  index.volume_name_.assign(reinterpret_cast<const char*>(bytes + at - name_length), name_length);
  index.blocks_at_ = static_cast<std::size_t>(at);
  if (blocks > size / block_entry_size || !take(block_entry_size * blocks)) return std::nullopt;
  index.entry_sums_at_ = static_cast<std::size_t>(at);
  if (!take(8 * count) || !take(8) || at != size) return std::nullopt;
  if (xxh3_64(bytes, size - 8) != read_u64(bytes + size - 8)) return std::nullopt;
  if (!plain_file_name(index.volume_name_)) return std::nullopt;
  if (!index.place_blocks()) return std::nullopt;
  return index;
}

// Every block's stored size fits its method, and the volumes hold them as
// the header says.
bool VolumeIndex::place_blocks() {
  const std::uint64_t blocks = block_count();
  std::vector<std::uint32_t> stored(static_cast<std::size_t>(blocks));
  stored_offsets_.assign(static_cast<std::size_t>(blocks) + 1, 0);
  for (std::uint64_t b = 0; b < blocks; ++b) {
    const std::uint8_t* e = bytes_ + blocks_at_ + block_entry_size * static_cast<std::size_t>(b);
    const std::uint32_t size = read_u32(e);
    const std::uint32_t method = read_u32(e + 4);
    const auto original =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(header_.block_size, header_.data_length - b * header_.block_size));
    if (method == static_cast<std::uint32_t>(BlockMethod::stored)) {
      if (size != original) return false;
    } else if (method == static_cast<std::uint32_t>(BlockMethod::zstd)) {
      if (size == 0 || size >= original) return false;
      compressed_ = true;
    } else {
      return false;
    }
    stored[static_cast<std::size_t>(b)] = size;
    stored_offsets_[static_cast<std::size_t>(b) + 1] = stored_offsets_[static_cast<std::size_t>(b)] + size;
  }
  stored_length_ = stored_offsets_.back();
  if (header_.volume_count == 0) {
    volume_starts_ = {0, blocks};
    return true;
  }
  volume_starts_ = place_in_volumes(stored, header_.volume_capacity);
  return !volume_starts_.empty() && volume_starts_.size() - 1 == header_.volume_count;
}

std::uint64_t VolumeIndex::block_count() const { return blocks_for(header_.data_length, header_.block_size); }

std::int64_t VolumeIndex::entry_size(std::int32_t index) const {
  return static_cast<std::int64_t>(read_u64(sizes() + 8 * static_cast<std::size_t>(index)));
}

std::uint64_t VolumeIndex::entry_sum(std::int32_t index) const {
  return read_u64(bytes_ + entry_sums_at_ + 8 * static_cast<std::size_t>(index));
}

BlockEntry VolumeIndex::block(std::uint64_t number) const {
  const std::uint8_t* e = bytes_ + blocks_at_ + block_entry_size * static_cast<std::size_t>(number);
  BlockEntry b;
  b.stored_size = read_u32(e);
  b.method = static_cast<BlockMethod>(read_u32(e + 4));
  std::memcpy(b.digest.data(), e + 8, b.digest.size());
  b.sum = read_u64(e + 40);
  b.stored_offset = stored_offsets_[static_cast<std::size_t>(number)];
  b.original_size = static_cast<std::uint32_t>(
      std::min<std::uint64_t>(header_.block_size, header_.data_length - number * header_.block_size));
  if (header_.volume_count > 0) {
    const auto next = std::upper_bound(volume_starts_.begin(), volume_starts_.end() - 1, number);
    b.volume = static_cast<std::uint32_t>(next - volume_starts_.begin());
  }
  return b;
}

VolumeSpan VolumeIndex::volume(std::uint32_t number) const {
  VolumeSpan span;
  if (number == 0 || number > header_.volume_count) return span;
  span.first_block = volume_starts_[number - 1];
  span.end_block = volume_starts_[number];
  span.offset = stored_offsets_[static_cast<std::size_t>(span.first_block)];
  span.size = stored_offsets_[static_cast<std::size_t>(span.end_block)] - span.offset;
  return span;
}

std::string VolumeIndex::volume_file(std::uint32_t number) const {
  return volume_name_ + "-" + std::to_string(number) + ".bin";
}

PayloadLayout VolumeIndex::layout() const {
  const auto size_of = [](const void* index, std::int32_t i) -> std::int64_t {
    return static_cast<const VolumeIndex*>(index)->entry_size(i);
  };
  PayloadLayout layout = layout_from(bytes_ + names_at_, static_cast<std::size_t>(header_.names_length),
                                     header_.count, header_.data_length, size_of, this);
  // Passed-over entries exist only in the single container.
  for (std::int32_t i = 0; i < header_.count; ++i) {
    if (entry_size(i) < fileset_folder_size) layout.names_exact = false;
  }
  return layout;
}

bool VolumeIndex::verify_digest(Tdigest& checksum) const {
  digest_index(checksum, bytes_, size_ - 8);
  return checksum.matches(header_.digest);
}

bool block_is_sound(const BlockEntry& e, const std::uint8_t* stored, std::uint8_t* out, BlockDecoder& decoder) {
  if (sha256(stored, e.stored_size) != e.digest) return false;
  if (e.method != BlockMethod::zstd) return true;
  return decoder.decode(stored, e.stored_size, out, e.original_size) == BlockFault::none &&
         xxh3_64(out, e.original_size) == e.sum;
}

std::optional<Tvolume_header> read_volume_header(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr || size < volume_header_size) return std::nullopt;
  Tvolume_header h;
  std::memcpy(&h, bytes, sizeof h);
  if (std::memcmp(h.magic, volume_magic, 4) != 0 || h.version != volume_format_version) return std::nullopt;
  if (xxh3_64(bytes, volume_header_size - 8) != h.header_sum) return std::nullopt;
  return h;
}

VolumeFault check_volume_header(const VolumeIndex& index, std::uint32_t number,
                                const std::optional<Tvolume_header>& header, std::uint64_t file_size) {
  if (!header) return file_size < volume_header_size ? VolumeFault::truncated : VolumeFault::damaged;
  const VolumeSpan span = index.volume(number);
  if (header->build_id != index.build_id() || header->number != number ||
      header->volume_count != index.volume_count() || header->data_offset != span.offset ||
      header->data_size != span.size || header->data_length != index.stored_length())
    return VolumeFault::other_build;
  if (file_size != volume_header_size + span.size) return VolumeFault::truncated;
  return VolumeFault::none;
}

namespace {

// The index up to its digest and own sum, with a zero build id and digest.
std::vector<std::uint8_t> index_bytes(const VolumeIndexInput& in, std::size_t* id_end) {
  Tvolume_index_header h{};
  std::memcpy(h.magic, volume_index_magic, 4);
  h.version = volume_format_version;
  h.count = static_cast<std::int32_t>(in.sizes.size());
  std::uint64_t data_length = 0;
  std::size_t names_length = 0;
  for (const std::int64_t s : in.sizes) data_length += s > 0 ? static_cast<std::uint64_t>(s) : 0;
  for (const std::string& n : in.names) names_length += 1 + n.size();
  h.names_length = static_cast<std::int32_t>(names_length);
  h.block_size = in.block_size;
  h.data_length = data_length;
  h.volume_capacity = in.volume_capacity;
  if (in.volume_capacity > 0) {
    std::vector<std::uint32_t> stored;
    for (const PackedBlock& b : in.blocks) stored.push_back(b.stored_size);
    const std::vector<std::uint64_t> starts = place_in_volumes(stored, in.volume_capacity);
    h.volume_count = starts.empty() ? 0 : static_cast<std::uint32_t>(starts.size() - 1);
  }

  std::vector<std::uint8_t> out(sizeof h);
  std::memcpy(out.data(), &h, sizeof h);
  for (const std::int64_t s : in.sizes) append_u64(out, static_cast<std::uint64_t>(s));
  for (const std::string& n : in.names) {
    out.push_back(static_cast<std::uint8_t>(n.size()));
    out.insert(out.end(), n.begin(), n.end());
  }
  out.push_back(static_cast<std::uint8_t>(in.volume_name.size()));
  out.insert(out.end(), in.volume_name.begin(), in.volume_name.end());
  for (const PackedBlock& b : in.blocks) {
    append_u32(out, b.stored_size);
    append_u32(out, static_cast<std::uint32_t>(b.method));
    out.insert(out.end(), b.digest.begin(), b.digest.end());
    append_u64(out, b.sum);
  }
  *id_end = out.size();
  for (const std::uint64_t s : in.entry_sums) append_u64(out, s);
  return out;
}

}  // namespace

std::vector<std::uint8_t> encode_volume_index(const VolumeIndexInput& input, Tdigest& checksum) {
  std::size_t id_end = 0;
  std::vector<std::uint8_t> out = index_bytes(input, &id_end);
  const std::uint64_t id = xxh3_64(out.data() + volume_index_header_size, id_end - volume_index_header_size);
  std::memcpy(out.data() + 40, &id, sizeof id);
  digest_index(checksum, out.data(), out.size());
  std::memcpy(out.data() + volume_index_digest_offset, checksum.digest().data(), checksum.digest().size());
  append_u64(out, xxh3_64(out.data(), out.size()));
  return out;
}

std::vector<std::uint8_t> encode_volume_header(std::uint32_t number, std::uint32_t volume_count,
                                               std::uint64_t build_id, VolumeSpan span, std::uint64_t stored_length) {
  Tvolume_header h{};
  std::memcpy(h.magic, volume_magic, 4);
  h.version = volume_format_version;
  h.number = number;
  h.volume_count = volume_count;
  h.build_id = build_id;
  h.data_offset = span.offset;
  h.data_size = span.size;
  h.data_length = stored_length;
  std::vector<std::uint8_t> out(sizeof h);
  std::memcpy(out.data(), &h, sizeof h);
  h.header_sum = xxh3_64(out.data(), volume_header_size - 8);
  std::memcpy(out.data(), &h, sizeof h);
  return out;
}
