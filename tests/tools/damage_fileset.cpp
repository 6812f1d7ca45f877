// Writes a damaged copy of a payload container or of its checksums, for the
// tests of the payload check: damage_fileset MODE IN OUT with MODE one of
//   flip-digest     one stored digest byte changed
//   truncate        the last byte of the data block missing
//   count-overrun   a count whose size table runs far past the container
//   unread-data     byte 20 of the data block changed, which the keyed digest
//                   never reads (its first block replaces bytes 16 to 31)
//   unread-name     the same byte of the names block, a letter of a name
//   sums-entry      IN is a checksum file: the first byte of its first entry
//                   checksum changed
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::int32_t read_int32(const std::vector<char>& bytes, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
  return static_cast<std::int32_t>(u);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr,
                 "usage: damage_fileset flip-digest|truncate|count-overrun|unread-data|unread-name|sums-entry IN OUT\n");
    return 2;
  }
  const std::string mode = argv[1];
  std::ifstream in(argv[2], std::ios::binary);
  std::vector<char> bytes;
  if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in || bytes.size() < 28) {
    std::fprintf(stderr, "damage_fileset: cannot read a container from %s\n", argv[2]);
    return 1;
  }
  const std::size_t names_at = 28 + 4 * std::size_t(read_int32(bytes, 0));
  const std::size_t data_at = names_at + std::size_t(read_int32(bytes, 4));
  // The byte must lie in a region of at least one 128-byte block.
  auto flip_unread = [&](std::size_t region, std::int32_t length) {
    if (length < 128 || region + 20 >= bytes.size()) return false;
    bytes[region + 20] = static_cast<char>(bytes[region + 20] ^ 0x01);
    return true;
  };
  if (mode == "flip-digest") {
    bytes[12 + 7] = static_cast<char>(bytes[12 + 7] ^ 0x01);
  } else if (mode == "truncate") {
    bytes.pop_back();
  } else if (mode == "count-overrun") {
    const unsigned count = 0x01000000;  // 64 MiB of size table
    for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>((count >> (8 * i)) & 0xFF);
  } else if (mode == "unread-data" || mode == "unread-name") {
    const bool data = mode == "unread-data";
    if (!flip_unread(data ? data_at : names_at, read_int32(bytes, data ? 8 : 4))) {
      std::fprintf(stderr, "damage_fileset: the %s block of %s is shorter than 128 bytes\n", data ? "data" : "names",
                   argv[2]);
      return 1;
    }
  } else if (mode == "sums-entry") {
    bytes[24] = static_cast<char>(bytes[24] ^ 0x01);
  } else {
    std::fprintf(stderr, "damage_fileset: unknown mode %s\n", mode.c_str());
    return 2;
  }
  std::ofstream out(argv[3], std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 1;
}
