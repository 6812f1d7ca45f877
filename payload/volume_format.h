#pragma once
// A payload too large for one program travels in data volumes beside
// setup.exe: <base>-1.bin, <base>-2.bin, ... Setup.exe itself carries only the
// volume index, as resource type 999 named EXEBINVOLUMES: every entry's name
// and 64-bit size, and the SHA-256 of every block of the file data. Signing
// setup.exe therefore covers every volume byte through the index: nobody can
// make other bytes that match a block's digest, so whoever can write to the
// folder the volumes lie in cannot change what an elevated setup installs.
// The packer (tools/mkfileset) writes both; setup.exe reads both.
//
// The file data is one stream: the contents of the file entries in entry
// order, as in the single container's data block. It is cut into blocks of
// block_size bytes (the last may be shorter), and into volumes of
// volume_capacity bytes each (the last may be shorter), a whole number of
// blocks, so that no block is split between two volumes.
//
// Index layout, integers little-endian, offsets from the start of the resource:
//
//   offset   width            field
//   0        4                magic            "FIDX"
//   4        4                version          2
//   8        4 signed         count            number of entries
//   12       4 signed         names_length     bytes in the names block
//   16       4                volume_count     at least 1
//   20       4                block_size       a power of two, 64 KiB to 64 MiB
//   24       8                data_length      bytes of file data in all volumes
//   32       8                volume_capacity  data bytes in every volume but the last
//   40       8                build_id         XXH3-64 of the size table, names block,
//                                              volume name and block digests: ties each
//                                              volume to this build
//   48       16               digest           keyed digest (payload/digest.h) of bytes
//                                              0 to 47 with tag 5, and of the SHA-256 of
//                                              everything from 64 up to the own sum with
//                                              tag 6
//   64       8 x count        size table       per entry: >= 0 a file of that many bytes,
//                                              -1 a folder
//   ...      names_length     names block      as in the container (fileset_format.h)
//   ...      1 + n            volume name      length byte and the base name of the
//                                              volumes, Windows-1252, no folder
//   ...      32 x blocks      block digests    SHA-256 of each block of the file data
//   ...      8 x count        entry sums       XXH3-64 of each file's contents; 0 for a folder
//   ...      8                own_sum          XXH3-64 of all bytes before it
//
// Volume layout: a 64-byte header, then the volume's data bytes, nothing after:
//
//   0        4                magic            "FVOL"
//   4        4                version          2
//   8        4                number           1 to volume_count
//   12       4                volume_count
//   16       8                build_id         the index's
//   24       8                data_offset      where its data lies in the stream
//   32       8                data_size        bytes of data it holds
//   40       8                data_length      of the whole stream
//   48       8                reserved         0
//   56       8                header_sum       XXH3-64 of bytes 0 to 55

#include <cstdint>

#include "payload/fileset_format.h"

struct Tvolume_index_header {
  std::uint8_t magic[4];
  std::uint32_t version;
  std::int32_t count;
  std::int32_t names_length;
  std::uint32_t volume_count;
  std::uint32_t block_size;
  std::uint64_t data_length;
  std::uint64_t volume_capacity;
  std::uint64_t build_id;
  Tcode digest;
};
static_assert(sizeof(Tvolume_index_header) == 64, "the index header is 64 bytes");

struct Tvolume_header {
  std::uint8_t magic[4];
  std::uint32_t version;
  std::uint32_t number;
  std::uint32_t volume_count;
  std::uint64_t build_id;
  std::uint64_t data_offset;
  std::uint64_t data_size;
  std::uint64_t data_length;
  std::uint64_t reserved;
  std::uint64_t header_sum;
};
static_assert(sizeof(Tvolume_header) == 64, "the volume header is 64 bytes");

constexpr char volume_index_magic[4] = {'F', 'I', 'D', 'X'};
constexpr char volume_magic[4] = {'F', 'V', 'O', 'L'};
// Version 1 had XXH3-64 block sums, which find damage but not a forgery.
constexpr std::uint32_t volume_format_version = 2;

constexpr const char* volume_index_resource_name = "EXEBINVOLUMES";
constexpr int volume_index_resource_type = 999;

constexpr std::uint32_t volume_index_header_size = sizeof(Tvolume_index_header);
constexpr std::uint32_t volume_header_size = sizeof(Tvolume_header);
constexpr std::uint32_t volume_index_digest_offset = 48;

constexpr std::uint32_t smallest_block_size = 64u << 10;
constexpr std::uint32_t largest_block_size = 64u << 20;
// Large enough that a read is one sequential request, small enough that the
// index of a 150 GB product stays near 1 MiB and a block costs little memory.
constexpr std::uint32_t default_block_size = 4u << 20;

constexpr std::uint32_t fileset_tag_index_header = 5;
constexpr std::uint32_t fileset_tag_index_body = 6;
