#pragma once
// Reads a whole file into memory for the speed tools, which time the checks
// alone, without disk or page-cache reads.

#include <cstdint>
#include <cstdio>
#include <vector>

inline bool read_whole_file(const char* path, std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  std::uint8_t buffer[1 << 16];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}
