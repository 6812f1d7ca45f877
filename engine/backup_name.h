#pragma once
// Names of backup folders: "Installer_" and eight uppercase hexadecimal digits
// of a number below 0x55EFAA10, drawn from a small generator. Runs seeded
// alike draw alike, so the caller draws again when a name is taken.

#include <cstdint>
#include <string>

constexpr std::uint32_t backup_number_bound = 0x55EFAA10;

class BackupNameGenerator {
 public:
  explicit BackupNameGenerator(std::uint32_t seed) : state_(seed) {}

  // The next number, 0 <= r < backup_number_bound.
  std::uint32_t next_number();
  std::string next_name() { return backup_folder_name(next_number()); }

  // "Installer_" and number as 8 uppercase hexadecimal digits.
  static std::string backup_folder_name(std::uint32_t number);

 private:
  std::uint32_t state_;
};
