#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>

#include "payload/volume_index.h"
#include "core/sha256.h"
#include "payload/block_decoder.h"
#include "tools/common/cp1252.h"
#include "tools/mkfileset/listing.h"

namespace fs = std::filesystem;

namespace {

const char* fault_text(VolumeFault fault) {
  switch (fault) {
    case VolumeFault::none: return "matches";
    case VolumeFault::missing: return "missing";
    case VolumeFault::truncated: return "not the size it was made with";
    case VolumeFault::other_build: return "of another build";
    case VolumeFault::damaged: return "damaged";
  }
  return "";
}

// Checks the blocks of span as setup.exe does: each block's stored bytes
// against their SHA-256, then, when compressed, decoded and against the
// checksum of the original bytes. read gives n bytes at an offset in span.
VolumeFault check_blocks(const VolumeIndex& index, const VolumeSpan& span,
                         const std::function<bool(std::uint64_t, std::uint8_t*, std::size_t)>& read) {
  std::vector<std::uint8_t> stored(index.block_size()), original(index.block_size());
  BlockDecoder decoder;
  for (std::uint64_t b = span.first_block; b < span.end_block; ++b) {
    const BlockEntry e = index.block(b);
    if (!read(e.stored_offset - span.offset, stored.data(), e.stored_size)) return VolumeFault::truncated;
    if (!block_is_sound(e, stored.data(), original.data(), decoder)) return VolumeFault::damaged;
  }
  return VolumeFault::none;
}

// Reads a volume as setup.exe does: its header and size, then every block.
VolumeFault check_volume_file(const VolumeIndex& index, std::uint32_t number, const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (!in || ec) return VolumeFault::missing;
  std::uint8_t header_bytes[volume_header_size];
  in.read(reinterpret_cast<char*>(header_bytes), volume_header_size);
  const VolumeFault header = check_volume_header(
      index, number, read_volume_header(header_bytes, static_cast<std::size_t>(in.gcount())), size);
  if (header != VolumeFault::none) return header;
  // Blocks are read in order, so each read follows the last.
  return check_blocks(index, index.volume(number), [&in](std::uint64_t, std::uint8_t* into, std::size_t n) {
    in.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(n));
    return static_cast<std::size_t>(in.gcount()) == n;
  });
}

}  // namespace

ListResult list_volumes(const std::uint8_t* bytes, std::size_t size, const fs::path& folder,
                        const ByteRegion& in_program, Tdigest& checksum, std::ostream& out) {
  const std::optional<VolumeIndex> index = VolumeIndex::open(bytes, size);
  if (!index) {
    out << "damaged: the volume index does not match its " << size << " bytes or its own checksum\n";
    return ListResult::damaged;
  }
  const PayloadLayout layout = index->layout();
  for (const PayloadEntry& e : layout.entries) {
    const bool file = e.kind == EntryKind::file;
    out << (file ? "file  " : "folder") << ' ' << std::setw(12);
    if (file) out << e.size;
    else out << "-";
    out << "  " << printable_name(e.name) << '\n';
  }
  out << index->count() << " entries, " << index->data_length() << " bytes of file data";
  if (index->compressed()) out << ", compressed to " << index->stored_length() << " bytes";
  if (index->in_program()) {
    out << " in the program itself\n";
  } else {
    out << " in " << index->volume_count() << " volumes of up to " << index->volume(1).size << " bytes\n";
  }
  ListResult result = ListResult::matches;
  if (index->verify_digest(checksum)) {
    out << "digest " << checksum.digest_hex() << " matches\n";
  } else {
    out << "digest " << checksum.digest_hex() << " does not match the stored one\n";
    result = ListResult::wrong_digest;
  }
  if (index->in_program()) {
    VolumeSpan all;
    all.size = index->stored_length();
    all.end_block = index->block_count();
    const VolumeFault fault =
        in_program.size != all.size
            ? (in_program.bytes ? VolumeFault::truncated : VolumeFault::missing)
            : check_blocks(*index, all, [&in_program](std::uint64_t at, std::uint8_t* into, std::size_t n) {
                std::copy(in_program.bytes + at, in_program.bytes + at + n, into);
                return true;
              });
    out << "blocks (resource " << block_resource_name << "): " << fault_text(fault) << '\n';
    if (fault != VolumeFault::none && result == ListResult::matches) result = ListResult::wrong_sums;
  }
  for (std::uint32_t n = 1; n <= index->volume_count(); ++n) {
    const fs::path path = folder / index->volume_file(n);
    const VolumeFault fault = check_volume_file(*index, n, path);
    out << "volume " << cp1252_to_utf8(index->volume_file(n)) << ": " << fault_text(fault) << '\n';
    if (fault != VolumeFault::none && result == ListResult::matches) result = ListResult::wrong_sums;
  }
  return result;
}
