#pragma once
// The payload as blocks, described by a block index that setup.exe carries as
// resource type 999 named EXEBINVOLUMES: every entry's name and 64-bit size,
// and per block of the file data its stored size, how it is stored (as it
// is, or compressed with zstd), the SHA-256 of its stored bytes and the XXH3-64
// of its original bytes. The stored blocks lie in data volumes beside
// setup.exe (<base>-1.bin, <base>-2.bin, ...), or, for a compressed payload
// that fits, in setup.exe itself as resource type 999 named EXEBINBLOCKS.
// Signing setup.exe covers every stored byte through the index: nobody can
// make other bytes that match a block's SHA-256, so whoever can write to the
// folder the volumes lie in cannot change what an elevated setup installs.
// The packer (tools/mkfileset) writes all of them; setup.exe reads them.
//
// The file data is one stream: the contents of the file entries in entry
// order, as in the single container's data block. It is cut into blocks of
// block_size bytes (the last may be shorter), each stored on its own: a
// block of many small files, or a piece of a large one. A compressed block is
// one zstd frame that records its size, with no checksum of its own. The
// stored blocks, in order, make the stored stream; a volume holds as many
// whole blocks as fit in volume_capacity bytes, and the next volume starts
// with the block that did not fit.
//
// Index layout, integers little-endian, offsets from the start of the resource:
//
//   offset   width            field
//   0        4                magic            "FIDX"
//   4        4                version          3
//   8        4 signed         count            number of entries
//   12       4 signed         names_length     bytes in the names block
//   16       4                volume_count     0: the blocks lie in setup.exe
//   20       4                block_size       a power of two, 64 KiB to 64 MiB
//   24       8                data_length      bytes of file data (original)
//   32       8                volume_capacity  the most stored bytes a volume holds;
//                                              0 without volumes
//   40       8                build_id         XXH3-64 of the size table, names block,
//                                              volume name and block table: ties each
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
//   ...      48 x blocks      block table      per block: stored size (4), method (4:
//                                              0 stored as it is, 1 zstd), SHA-256 of
//                                              the stored bytes (32), XXH3-64 of the
//                                              original bytes (8)
//   ...      8 x count        entry sums       XXH3-64 of each file's contents; 0 for a folder
//   ...      8                own_sum          XXH3-64 of all bytes before it
//
// A block stored as it is has its original size; a compressed one at least 1
// and fewer bytes than that.
//
// Volume layout: a 64-byte header, then the volume's stored blocks, nothing after:
//
//   0        4                magic            "FVOL"
//   4        4                version          3
//   8        4                number           1 to volume_count
//   12       4                volume_count
//   16       8                build_id         the index's
//   24       8                data_offset      where its bytes lie in the stored stream
//   32       8                data_size        stored bytes it holds
//   40       8                data_length      of the whole stored stream
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
// Version 1 had XXH3-64 block sums, which find damage but not a forgery;
// version 2 stored every block as it is.
constexpr std::uint32_t volume_format_version = 3;

constexpr const char* volume_index_resource_name = "EXEBINVOLUMES";
constexpr int volume_index_resource_type = 999;
constexpr const char* block_resource_name = "EXEBINBLOCKS";
constexpr int block_resource_type = 999;

constexpr std::uint32_t volume_index_header_size = sizeof(Tvolume_index_header);
constexpr std::uint32_t volume_header_size = sizeof(Tvolume_header);
constexpr std::uint32_t volume_index_digest_offset = 48;

constexpr std::uint32_t smallest_block_size = 64u << 10;
constexpr std::uint32_t largest_block_size = 64u << 20;
// Large enough that a read is one sequential request, small enough that the
// index of a 150 GB product stays below 2 MiB and a block costs little memory.
constexpr std::uint32_t default_block_size = 4u << 20;

// The block size of a compressed payload: larger blocks compress better, and
// each decoding thread holds a few of them.
constexpr std::uint32_t compressed_block_size = 8u << 20;
constexpr std::uint32_t ultra_block_size = 32u << 20;  // from level 20 on

enum class BlockMethod : std::uint32_t { stored = 0, zstd = 1 };
constexpr std::uint32_t block_entry_size = 48;

constexpr std::uint32_t fileset_tag_index_header = 5;
constexpr std::uint32_t fileset_tag_index_body = 6;
