// Writes a damaged copy of a payload container, for the tests of the payload
// check: damage_fileset MODE IN OUT with MODE one of
//   flip-digest     one stored digest byte changed
//   truncate        the last byte of the data block missing
//   count-overrun   a count whose size table runs far past the container
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: damage_fileset flip-digest|truncate|count-overrun IN OUT\n");
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
  if (mode == "flip-digest") {
    bytes[12 + 7] = static_cast<char>(bytes[12 + 7] ^ 0x01);
  } else if (mode == "truncate") {
    bytes.pop_back();
  } else if (mode == "count-overrun") {
    const unsigned count = 0x01000000;  // 64 MiB of size table
    for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>((count >> (8 * i)) & 0xFF);
  } else {
    std::fprintf(stderr, "damage_fileset: unknown mode %s\n", mode.c_str());
    return 2;
  }
  std::ofstream out(argv[3], std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 1;
}
