#pragma once
// Reads tests/vectors/digest.txt: digests, containers and key names computed
// by an independent implementation, which the tests must reproduce exactly.

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace digest_vectors {

struct Region {
  std::string seed;
  std::int32_t length = 0;
  std::uint32_t tag = 0;
  std::string digest_hex;
};

struct Container {
  std::string seed;
  std::vector<std::uint8_t> bytes;
};

struct Key {
  std::string seed;
  std::string product_folder;
  std::string key_name;
  std::string install_dir;
};

struct All {
  std::vector<Region> regions;
  std::vector<Container> containers;
  std::vector<Key> keys;
  bool loaded = false;
};

// Byte i of the input of every region line.
inline std::uint8_t region_byte(std::size_t i) { return static_cast<std::uint8_t>((7 * i + 3) % 256); }

inline std::vector<std::uint8_t> from_hex(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

inline All load(const std::string& path) {
  All all;
  std::ifstream in(path, std::ios::binary);
  if (!in) return all;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string kind;
    fields >> kind;
    if (kind == "region") {
      Region r;
      fields >> r.seed >> r.length >> r.tag >> r.digest_hex;
      all.regions.push_back(r);
    } else if (kind == "container") {
      Container c;
      std::string hex;
      fields >> c.seed >> hex;
      c.bytes = from_hex(hex);
      all.containers.push_back(c);
    } else if (kind == "key") {
      Key k;
      fields >> k.seed >> k.product_folder >> k.key_name;
      std::getline(fields >> std::ws, k.install_dir);  // the rest of the line, spaces included
      all.keys.push_back(k);
    }
  }
  all.loaded = true;
  return all;
}

}  // namespace digest_vectors
