#include "tools/mkfileset/listing.h"

#include <iomanip>
#include <string>
#include <string_view>

#include "payload/fileset.h"
#include "payload/fileset_format.h"
#include "tools/common/cp1252.h"
#include "tools/mkfileset/pe_resource.h"

namespace {

constexpr char hex_digits[] = "0123456789ABCDEF";

// A name as UTF-8, with control characters shown as \xNN: a container that
// is damaged or made by someone else must not drive the terminal.
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

ListResult list_fileset(const std::uint8_t* bytes, std::size_t size, Tchecksum& checksum, std::ostream& out,
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

ListResult list_payload(const std::string& path, const std::vector<std::uint8_t>& file, Tchecksum& checksum,
                        std::ostream& out, std::ostream& err) {
  const PeResource resource = find_pe_resource(file.data(), file.size(), fileset_resource_type, fileset_resource_name);
  switch (resource.status) {
    case PeResourceStatus::found:
      out << "setup program: the payload is its resource " << fileset_resource_name << " (" << resource.size
          << " bytes)\n";
      return list_fileset(file.data() + resource.offset, resource.size, checksum, out, "resource");
    case PeResourceStatus::damaged:
      out << "damaged: the program's headers or resource table point outside its " << file.size() << " bytes\n";
      return ListResult::damaged;
    case PeResourceStatus::not_found:
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
  return list_fileset(file.data(), file.size(), checksum, out, "file");
}
