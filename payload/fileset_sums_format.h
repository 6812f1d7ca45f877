#pragma once
// The checksums of the payload container, carried beside it as resource type
// 999 named EXEBINFILESUMS. The container itself stays as it is (its keyed
// digest, which also names the Add/Remove Programs entry, reads only part of
// each region); these checksums cover every byte of it. The packer
// (tools/mkfileset) writes them as a second file next to the container;
// setup.exe checks all of them before it writes anything, and compares each
// file it installs with its checksum.
//
// All checksums are XXH3-64 (payload/xxh3.h) with seed 0. They find damage in
// transit or on disk; they do not stop deliberate changes, which anyone can
// make along with new checksums (signing the program is what does that).
//
// Layout, integers little-endian, offsets from the start of the resource:
//
//   offset        width      field
//   0             4          magic           "FSUM"
//   4             4          version         1
//   8             4 signed   count           entries of the container (its count)
//   12            4          container_size  bytes of the container: 28 + 4*count
//                                            + names_length + data_length
//   16            8          metadata_sum    XXH3-64 of the container's first
//                                            28 + 4*count + names_length bytes:
//                                            header (stored digest included),
//                                            size table, names block
//   24            8 x count  entry sums      per entry, in size-table order: XXH3-64
//                                            of a file entry's contents; 0 for a
//                                            folder or passed-over entry
//   24 + 8*count  8          own_sum         XXH3-64 of all bytes before it
//
// A container is covered only when its file entries, in size-table order,
// fill its data block exactly, so that every data byte belongs to one file.
//
// Worked example, the three-entry container of fileset_format.h (70 bytes):
// "FSUM" 01000000 03000000 46000000 <metadata sum of bytes 0-61> 0000000000000000
// <XXH3-64 of "hello"> <XXH3-64 of "xyz"> <own sum>, 56 bytes.

#include <cstdint>

struct Tfileset_sums_header {
  std::uint8_t magic[4];
  std::uint32_t version;
  std::int32_t count;
  std::uint32_t container_size;
  std::uint64_t metadata_sum;
};
static_assert(sizeof(Tfileset_sums_header) == 24, "the checksum header is 24 bytes");

constexpr std::uint32_t fileset_sums_header_size = sizeof(Tfileset_sums_header);
constexpr std::uint32_t fileset_sums_entry_size = 8;
constexpr std::uint32_t fileset_sums_trailer_size = 8;
constexpr char fileset_sums_magic[4] = {'F', 'S', 'U', 'M'};
constexpr std::uint32_t fileset_sums_version = 1;

constexpr const char* fileset_sums_resource_name = "EXEBINFILESUMS";
constexpr int fileset_sums_resource_type = 999;

// Bytes of the checksum resource for a container of count entries.
constexpr std::uint64_t fileset_sums_size(std::int32_t count) {
  return fileset_sums_header_size + std::uint64_t(fileset_sums_entry_size) * std::uint64_t(count) +
         fileset_sums_trailer_size;
}
static_assert(fileset_sums_size(3) == 56, "the worked example is 56 bytes");
