#pragma once
// mkfileset --check: everything the packer would refuse in a folder, found
// without reading or writing a file, so a build can stop with the reasons
// before it compiles anything.

#include <cstdint>
#include <filesystem>
#include <string>

struct TreeCheck {
  std::string error;  // every problem, one line each; empty when the folder can be packed
  std::int32_t entries = 0;
  std::uint64_t file_bytes = 0;

  bool ok() const { return error.empty(); }
};

// The scan's problems (names, links), or else what the container layout
// cannot hold (a payload beyond 2 GiB); with volumes, only the scan's.
TreeCheck check_tree(const std::filesystem::path& root, bool volumes = false);
