#include "tools/mkfileset/pe_resource.h"

#include <algorithm>

namespace {

// Little-endian reads that first check the bytes are there. Offsets are
// 64-bit so that adding two 32-bit fields of the file cannot wrap.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint64_t size() const { return size_; }
  bool has(std::uint64_t offset, std::uint64_t length) const { return offset <= size_ && size_ - offset >= length; }

  bool u16(std::uint64_t offset, std::uint16_t& value) const {
    if (!has(offset, 2)) return false;
    value = static_cast<std::uint16_t>(data_[offset] | data_[offset + 1] << 8);
    return true;
  }

  bool u32(std::uint64_t offset, std::uint32_t& value) const {
    if (!has(offset, 4)) return false;
    value = 0;
    for (std::uint64_t i = 4; i-- > 0;) value = value << 8 | data_[offset + i];
    return true;
  }

  Bytes slice(std::uint64_t offset, std::uint64_t length) const {
    return Bytes(data_ + offset, static_cast<std::size_t>(length));  // callers checked has(offset, length)
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

constexpr std::uint16_t pe32_magic = 0x10B;
constexpr std::uint16_t pe32_plus_magic = 0x20B;
constexpr std::uint32_t resource_table_index = 2;
constexpr std::uint32_t high_bit = 0x80000000u;
constexpr std::uint64_t section_header_size = 40;
constexpr std::uint64_t directory_header_size = 16;
constexpr std::uint64_t directory_entry_size = 8;

PeResource with(PeResourceStatus status) {
  PeResource result;
  result.status = status;
  return result;
}

// Where an address of the loaded image lies in the file.
struct FileRange {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;  // bytes of the same section in the file from offset on
};

// The file part of the section holding rva, from rva on; false when no
// section holds it or the table itself is cut.
bool locate(const Bytes& file, std::uint64_t table, std::uint16_t sections, std::uint32_t rva, FileRange& range) {
  for (std::uint16_t i = 0; i < sections; ++i) {
    const std::uint64_t header = table + i * section_header_size;
    std::uint32_t virtual_size = 0, address = 0, raw_size = 0, raw_offset = 0;
    if (!file.u32(header + 8, virtual_size) || !file.u32(header + 12, address) ||
        !file.u32(header + 16, raw_size) || !file.u32(header + 20, raw_offset))
      return false;
    // Raw data is padded to the file alignment; only the virtual size of it
    // belongs to the section.
    const std::uint64_t span = virtual_size != 0 ? std::min(virtual_size, raw_size) : raw_size;
    if (rva < address || rva - address >= span) continue;
    range.offset = std::uint64_t(raw_offset) + (rva - address);
    if (!file.has(range.offset, 0)) return false;
    range.length = std::min(span - (rva - address), file.size() - range.offset);
    return true;
  }
  return false;
}

bool same_name(const Bytes& tree, std::uint64_t at, std::string_view name) {
  std::uint16_t length = 0;
  if (!tree.u16(at, length) || length != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    std::uint16_t c = 0;
    if (!tree.u16(at + 2 + 2 * i, c) || c > 0x7F) return false;
    const auto lower = [](unsigned x) { return x >= 'A' && x <= 'Z' ? x + 32 : x; };
    if (lower(c) != lower(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

// One level of the resource tree: the directory at offset dir of the tree.
// The entry's second field (a subdirectory with the high bit set, else a data
// entry) goes to child.
enum class Match { found, none, damaged };

template <typename Wanted>
Match find_entry(const Bytes& tree, std::uint64_t dir, Wanted wanted, std::uint32_t& child) {
  std::uint16_t named = 0, numbered = 0;
  if (!tree.u16(dir + 12, named) || !tree.u16(dir + 14, numbered)) return Match::damaged;
  const std::uint64_t count = std::uint64_t(named) + numbered;
  if (!tree.has(dir + directory_header_size, count * directory_entry_size)) return Match::damaged;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t entry = dir + directory_header_size + i * directory_entry_size;
    std::uint32_t id = 0;
    tree.u32(entry, id);
    if (wanted(id)) {
      tree.u32(entry + 4, child);
      return Match::found;
    }
  }
  return Match::none;
}

}  // namespace

PeResource find_pe_resource(const std::uint8_t* image, std::size_t size, std::uint16_t type,
                            std::string_view name) {
  const Bytes file(image, size);
  std::uint16_t mz = 0;
  std::uint32_t pe_offset = 0, signature = 0;
  if (!file.u16(0, mz) || mz != 0x5A4D || !file.u32(0x3C, pe_offset) || !file.u32(pe_offset, signature) ||
      signature != 0x00004550)
    return with(PeResourceStatus::not_a_program);

  // The file header, the optional header and the section table behind it.
  const std::uint64_t file_header = std::uint64_t(pe_offset) + 4;
  const std::uint64_t optional = file_header + 20;
  std::uint16_t sections = 0, optional_size = 0, magic = 0;
  if (!file.u16(file_header + 2, sections) || !file.u16(file_header + 16, optional_size) ||
      !file.u16(optional, magic))
    return with(PeResourceStatus::damaged);
  if (magic != pe32_magic && magic != pe32_plus_magic) return with(PeResourceStatus::damaged);
  const std::uint64_t table_count_at = optional + (magic == pe32_magic ? 92 : 108);
  std::uint32_t tables = 0;
  if (!file.u32(table_count_at, tables)) return with(PeResourceStatus::damaged);
  if (tables <= resource_table_index) return with(PeResourceStatus::not_found);
  const std::uint64_t resource_table = table_count_at + 4 + resource_table_index * 8;
  if (resource_table + 8 > optional + optional_size) return with(PeResourceStatus::damaged);
  std::uint32_t tree_rva = 0, tree_size = 0;
  if (!file.u32(resource_table, tree_rva) || !file.u32(resource_table + 4, tree_size))
    return with(PeResourceStatus::damaged);
  if (tree_rva == 0 || tree_size == 0) return with(PeResourceStatus::not_found);
  const std::uint64_t section_table = optional + optional_size;
  if (!file.has(section_table, sections * section_header_size)) return with(PeResourceStatus::damaged);

  // The tree's offsets count from its start and stay inside its section.
  FileRange tree_range;
  if (!locate(file, section_table, sections, tree_rva, tree_range)) return with(PeResourceStatus::damaged);
  const Bytes tree = file.slice(tree_range.offset, tree_range.length);

  // Type, then name: subdirectories. Language: the first entry, a data entry.
  // Three fixed levels, so a tree that points back into itself cannot loop.
  const auto is_type = [type](std::uint32_t id) { return id == type; };
  const auto is_name = [&tree, name](std::uint32_t id) {
    return (id & high_bit) != 0 && same_name(tree, id & ~high_bit, name);
  };
  const auto any = [](std::uint32_t) { return true; };
  std::uint32_t names = 0, languages = 0, data_entry = 0;
  Match m = find_entry(tree, 0, is_type, names);
  if (m == Match::found && (names & high_bit) != 0) m = find_entry(tree, names & ~high_bit, is_name, languages);
  if (m == Match::found && (languages & high_bit) != 0) m = find_entry(tree, languages & ~high_bit, any, data_entry);
  if (m == Match::none) return with(PeResourceStatus::not_found);
  // A level that holds data where a subdirectory belongs, or the reverse.
  if (m == Match::damaged || (names & high_bit) == 0 || (languages & high_bit) == 0 || (data_entry & high_bit) != 0)
    return with(PeResourceStatus::damaged);

  std::uint32_t data_rva = 0, data_size = 0;
  FileRange data;
  if (!tree.u32(data_entry, data_rva) || !tree.u32(data_entry + 4, data_size) ||
      !locate(file, section_table, sections, data_rva, data) || data.length < data_size)
    return with(PeResourceStatus::damaged);
  PeResource found = with(PeResourceStatus::found);
  found.offset = static_cast<std::size_t>(data.offset);
  found.size = data_size;
  return found;
}
