#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>

#include "payload/volume_index.h"
#include "core/sha256.h"
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

// Reads a volume as setup.exe does: its header and size, then every block
// against its digest.
VolumeFault check_volume_file(const VolumeIndex& index, std::uint32_t number, const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (!in || ec) return VolumeFault::missing;
  std::vector<std::uint8_t> block(std::max<std::size_t>(index.block_size(), volume_header_size));
  in.read(reinterpret_cast<char*>(block.data()), volume_header_size);
  const VolumeFault header =
      check_volume_header(index, number, read_volume_header(block.data(), static_cast<std::size_t>(in.gcount())),
                          size);
  if (header != VolumeFault::none) return header;
  const VolumeSpan span = index.volume(number);
  for (std::uint64_t at = 0; at < span.size; at += index.block_size()) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(index.block_size(), span.size - at));
    in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(n));
    if (static_cast<std::size_t>(in.gcount()) != n) return VolumeFault::truncated;
    if (sha256(block.data(), n) != index.block_digest((span.offset + at) / index.block_size()))
      return VolumeFault::damaged;
  }
  return VolumeFault::none;
}

}  // namespace

ListResult list_volumes(const std::uint8_t* bytes, std::size_t size, const fs::path& folder, Tdigest& checksum,
                        std::ostream& out) {
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
  out << index->count() << " entries, " << index->data_length() << " bytes of file data in "
      << index->volume_count() << " volumes of up to " << index->volume(1).size << " bytes\n";
  ListResult result = ListResult::matches;
  if (index->verify_digest(checksum)) {
    out << "digest " << checksum.digest_hex() << " matches\n";
  } else {
    out << "digest " << checksum.digest_hex() << " does not match the stored one\n";
    result = ListResult::wrong_digest;
  }
  for (std::uint32_t n = 1; n <= index->volume_count(); ++n) {
    const fs::path path = folder / index->volume_file(n);
    const VolumeFault fault = check_volume_file(*index, n, path);
    out << "volume " << cp1252_to_utf8(index->volume_file(n)) << ": " << fault_text(fault) << '\n';
    if (fault != VolumeFault::none && result == ListResult::matches) result = ListResult::wrong_sums;
  }
  return result;
}
