#include "tools/mkfileset/listing.h"

#include <iomanip>
#include <string>
#include <string_view>

#include "payload/fileset.h"
#include "tools/common/cp1252.h"

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

}  // namespace

ListResult list_fileset(const std::vector<std::uint8_t>& bytes, Tchecksum& checksum, std::ostream& out) {
  const auto view = FilesetView::open(bytes.data(), bytes.size());
  if (!view) {
    out << "damaged: the header does not match the " << bytes.size() << " bytes of the file\n";
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
  if (used < bytes.size()) out << "note: " << bytes.size() - used << " bytes follow the data block\n";

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
