#pragma once
// The payload container: the files setup.exe installs, carried as resource
// type 999 named EXEBINFILESET. The packer (tools/mkfileset) writes it and
// setup.exe reads it; both include this header.
//
// Layout, integers little-endian, offsets from the start of the resource:
//
//   offset                    width      field
//   0                         4 signed   count          number of entries
//   4                         4 signed   names_length   bytes in the names block
//   8                         4 signed   data_length    bytes in the data block
//   12                        16         digest         Tcode of the regions below
//   28                        4 x count  size table     per entry: >= 0 a file of that
//                                                       many bytes, -1 a folder, below -1
//                                                       passed over (no bytes)
//   28 + 4*count              names_length   names block: count names, each one length
//                                                       byte and that many Windows-1252
//                                                       characters, relative, "\"-separated
//   28 + 4*count + names_len  data_length    data block: the file contents in entry order
//
// The digest (payload/digest.h) covers bytes 0 to 11 with tag 1, the size
// table with tag 2, the names block with tag 3 and the data block with tag 4;
// the stored digest itself is not hashed. The digest reads only part of each
// region; the checksums of every byte travel beside the container as their
// own resource (payload/fileset_sums_format.h).
//
// Worked example, 70 bytes: 03000000 16000000 08000000 <digest> FFFFFFFF
// 05000000 03000000 04"data" 05"a.txt" 0A"data\b.bin" "hello" "xyz".

#include <array>
#include <cstdint>

using Tcode = std::array<std::uint8_t, 16>;

struct Tfileset {
  std::int32_t count;
  std::int32_t names_length;
  std::int32_t data_length;
  Tcode digest;
};
static_assert(sizeof(Tfileset) == 28, "the container header is 28 bytes");

constexpr std::uint32_t fileset_header_size = sizeof(Tfileset);
constexpr std::int32_t fileset_folder_size = -1;

constexpr const char* fileset_resource_name = "EXEBINFILESET";
constexpr int fileset_resource_type = 999;

constexpr std::uint32_t fileset_tag_header = 1;
constexpr std::uint32_t fileset_tag_sizes = 2;
constexpr std::uint32_t fileset_tag_names = 3;
constexpr std::uint32_t fileset_tag_data = 4;
