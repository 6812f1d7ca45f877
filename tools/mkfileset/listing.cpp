#include "tools/mkfileset/listing.h"

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "payload/fileset.h"
#include "payload/fileset_format.h"
#include "payload/fileset_sums.h"
#include "payload/volume_format.h"
#include "tools/common/cp1252.h"
#include "tools/mkfileset/pe_resource.h"

namespace {

constexpr char hex_digits[] = "0123456789ABCDEF";

}  // namespace

// A container that is damaged or made by someone else must not drive the
// terminal.
std::string printable_name(const std::string& cp1252) {
  std::string shown;
  for (const char c : cp1252) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      shown += "\\x";
      shown += hex_digits[b >> 4];
      shown += hex_digits[b & 15];
    } else {
      shown += cp1252_to_utf8(std::string_view(&c, 1));
    }
  }
  return shown;
}

namespace {

// Whether the first bytes could be a container's header at all: lengths that
// are not negative and add up to no more than a container can hold. A cut or
// damaged container passes; text and most other files do not.
bool looks_like_container(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < fileset_header_size) return false;
  const std::int32_t count = read_int32_le(bytes.data());
  const std::int32_t names_length = read_int32_le(bytes.data() + 4);
  const std::int32_t data_length = read_int32_le(bytes.data() + 8);
  if (count < 0 || names_length < 0 || data_length < 0) return false;
  const std::uint64_t total = std::uint64_t{fileset_header_size} + 4 * std::uint64_t(count) +
                              std::uint64_t(names_length) + std::uint64_t(data_length);
  return total <= 0x7FFFFFFFu;
}

}  // namespace

ListResult list_fileset(const std::uint8_t* bytes, std::size_t size, Tdigest& checksum, std::ostream& out,
                        const char* holder) {
  const auto view = FilesetView::open(bytes, size);
  if (!view) {
    out << "damaged: the header does not match the " << size << " bytes of the " << holder << '\n';
    return ListResult::damaged;
  }

  std::int32_t listed = 0;
  for_each_entry(*view, [&](const Tpayload_entry& entry) {
    const bool folder = entry.kind == EntryKind::folder;
    out << (folder ? "folder" : "file  ") << ' ' << std::setw(10);
    if (folder) out << "-";
    else out << entry.size;
    out << "  " << printable_name(entry.name) << '\n';
    ++listed;
    return true;
  });

  out << view->count() << " entries, " << view->data_length() << " bytes of file data\n";
  if (listed < view->count())
    out << "note: " << view->count() - listed << " entries are passed over or have no name\n";
  const std::size_t used = fileset_header_size + 4 * std::size_t(view->count()) +
                           std::size_t(view->names_length()) + std::size_t(view->data_length());
  if (used < size) out << "note: " << size - used << " bytes follow the data block\n";

  const bool matches = checksum.verify_container(*view);
  out << "digest " << checksum.digest_hex();
  if (matches) {
    out << " matches\n";
    return ListResult::matches;
  }
  out << " does not match the stored ";
  for (const std::uint8_t b : view->stored_digest()) out << hex_digits[b >> 4] << hex_digits[b & 15];
  out << '\n';
  return ListResult::wrong_digest;
}

namespace {

const char* sums_problem(SumsCheck result) {
  switch (result) {
    case SumsCheck::ok: return "";
    case SumsCheck::other_container: return "they belong to another container";
    case SumsCheck::metadata_differs: return "the header, size table or names differ";
    case SumsCheck::data_not_covered: return "the files do not fill the data block";
    case SumsCheck::file_differs: return "a file's contents differ";
  }
  return "";
}

// The closing line on the checksums; a listing that matched so far fails when
// they do not.
ListResult report_sums(const std::uint8_t* container, std::size_t container_size, const std::uint8_t* sums_bytes,
                       std::size_t sums_size, ListResult listed, std::ostream& out) {
  const std::optional<FilesetView> view = FilesetView::open(container, container_size);
  const std::optional<FilesetSums> sums = FilesetSums::open(sums_bytes, sums_size);
  if (!view) return listed;  // already reported as damaged
  if (!sums) {
    out << "checksums damaged: not a checksum resource of this version, or their own checksum does not match\n";
    return listed == ListResult::matches ? ListResult::wrong_sums : listed;
  }
  // The checksums cover exactly the container: nothing may follow it.
  const FilesetView exact = *FilesetView::open(container, std::min<std::size_t>(container_size, sums->container_size()));
  const SumsVerdict verdict = container_size == sums->container_size() ? check_fileset_sums(exact, *sums)
                                                                       : SumsVerdict{SumsCheck::other_container, -1};
  if (verdict.ok()) {
    out << "checksums of every byte match\n";
    return listed;
  }
  out << "checksums do not match: " << sums_problem(verdict.result);
  if (verdict.entry >= 0) out << " (entry " << verdict.entry << ")";
  out << '\n';
  return listed == ListResult::matches ? ListResult::wrong_sums : listed;
}

std::optional<std::vector<std::uint8_t>> read_beside(const std::string& path) {
  std::ifstream in(path + ".sums", std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

ListResult list_payload(const std::string& path, const std::vector<std::uint8_t>& file, Tdigest& checksum,
                        std::ostream& out, std::ostream& err) {
  const PeResource resource = find_pe_resource(file.data(), file.size(), fileset_resource_type, fileset_resource_name);
  switch (resource.status) {
    case PeResourceStatus::found:
    {
      out << "setup program: the payload is its resource " << fileset_resource_name << " (" << resource.size
          << " bytes)\n";
      const std::uint8_t* container = file.data() + resource.offset;
      const ListResult listed = list_fileset(container, resource.size, checksum, out, "resource");
      const PeResource sums =
          find_pe_resource(file.data(), file.size(), fileset_sums_resource_type, fileset_sums_resource_name);
      if (sums.status != PeResourceStatus::found) {
        out << "no checksum resource " << fileset_sums_resource_name << ": setup.exe refuses such a payload\n";
        return listed == ListResult::matches ? ListResult::wrong_sums : listed;
      }
      return report_sums(container, resource.size, file.data() + sums.offset, sums.size, listed, out);
    }
    case PeResourceStatus::damaged:
      out << "damaged: the program's headers or resource table point outside its " << file.size() << " bytes\n";
      return ListResult::damaged;
    case PeResourceStatus::not_found:
    {
      const PeResource index =
          find_pe_resource(file.data(), file.size(), volume_index_resource_type, volume_index_resource_name);
      if (index.status == PeResourceStatus::found) {
        const PeResource blocks = find_pe_resource(file.data(), file.size(), block_resource_type, block_resource_name);
        ByteRegion in_program;
        if (blocks.status == PeResourceStatus::found) in_program = {file.data() + blocks.offset, blocks.size};
        out << "setup program: the payload lies in blocks; the index is its resource " << volume_index_resource_name
            << " (" << index.size << " bytes)\n";
        return list_volumes(file.data() + index.offset, index.size, std::filesystem::path(path).parent_path(),
                            in_program, checksum, out);
      }
    }
      err << "mkfileset: '" << path << "': not a container: a program without the resource "
          << fileset_resource_name << " of type " << fileset_resource_type << '\n';
      return ListResult::not_container;
    case PeResourceStatus::not_a_program:
      break;
  }
  if (!looks_like_container(file)) {
    err << "mkfileset: '" << path << "': not a container, nor a setup program that carries one\n";
    return ListResult::not_container;
  }
  const ListResult listed = list_fileset(file.data(), file.size(), checksum, out, "file");
  const std::optional<std::vector<std::uint8_t>> sums = read_beside(path);
  if (!sums) {
    out << "no checksums beside it (" << path << ".sums)\n";
    return listed;
  }
  return report_sums(file.data(), file.size(), sums->data(), sums->size(), listed, out);
}
