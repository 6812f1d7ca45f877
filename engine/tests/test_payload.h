#pragma once
// Payload containers for the extraction tests, built in memory with their
// checksums.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "payload/digest.h"
#include "payload/fileset.h"
#include "payload/fileset_sums.h"
#include "payload/fileset_writer.h"

class TestPayload {
 public:
  explicit TestPayload(const std::vector<FilesetEntry>& entries) {
    Tdigest checksum(code_seed);
    FilesetBuild build = build_fileset(entries, checksum);
    EXPECT_TRUE(build.ok()) << build.error;
    bytes_ = std::move(build.bytes);
    sums_ = make_fileset_sums(view());
  }

  // The container, or an empty one when the build failed (already reported).
  FilesetView view() const {
    static const std::uint8_t empty[fileset_header_size] = {};
    auto v = FilesetView::open(bytes_.data(), bytes_.size());
    EXPECT_TRUE(v.has_value());
    return v ? *v : *FilesetView::open(empty, sizeof empty);
  }

  // Its checksums. Those of another container with the same entries play a
  // file that was damaged on its way to the disk.
  FilesetSums sums() const {
    auto s = FilesetSums::open(sums_.data(), sums_.size());
    EXPECT_TRUE(s.has_value());
    return *s;
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::vector<std::uint8_t> sums_;
};

// Bytes that differ at every position, so a misplaced offset shows.
inline std::string patterned(std::size_t size, unsigned seed) {
  std::string s(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& c : s) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  return s;
}
