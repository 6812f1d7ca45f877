#include "engine/backup_name.h"

std::uint32_t BackupNameGenerator::next_number() {
  // A 32-bit linear congruential step; the high bits scale into the range.
  state_ = state_ * 1664525u + 1013904223u;
  return static_cast<std::uint32_t>((std::uint64_t{state_} * backup_number_bound) >> 32);
}

std::string BackupNameGenerator::backup_folder_name(std::uint32_t number) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string name = "Installer_";
  for (int shift = 28; shift >= 0; shift -= 4) name += digits[(number >> shift) & 0xF];
  return name;
}
