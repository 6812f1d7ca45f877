#include "system/uninstall_key.h"

#include <algorithm>
#include <cstdint>
#include <limits>

std::string uninstall_key_name(Tdigest& checksum, std::string_view product_folder, std::string_view install_dir) {
  static constexpr std::string_view label = "destpath";
  // Only a path of 2 GiB could be cut here; real folders are short strings.
  const auto dir_length = static_cast<std::int32_t>(
      std::min<std::size_t>(install_dir.size(), std::size_t(std::numeric_limits<std::int32_t>::max())));
  checksum.reset_digest();
  checksum.absorb_region(reinterpret_cast<const std::uint8_t*>(label.data()), static_cast<std::int32_t>(label.size()),
                         1);
  checksum.absorb_region(reinterpret_cast<const std::uint8_t*>(install_dir.data()), dir_length, 2);
  std::string name(product_folder);
  name += "__at__";
  name += checksum.digest_hex();
  return name;
}
