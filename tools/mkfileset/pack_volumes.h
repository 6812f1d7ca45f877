#pragma once
// The packer's second form: the files as blocks, stored as they are or
// compressed, with the block index the setup carries (payload/
// volume_format.h): in data volumes beside setup.exe, for products larger
// than one program can hold or when the maker asks for volumes, or, when
// compressed, in setup.exe itself.

#include <cstdint>
#include <filesystem>
#include <string>

#include "payload/digest.h"
#include "payload/volume_format.h"
#include "tools/mkfileset/pack.h"
#include "tools/mkfileset/tree_scan.h"

struct VolumePlan {
  std::string name;               // the volumes' base name: <name>-1.bin, ...
  std::uint64_t volume_size = 0;  // the most stored bytes per volume; 0: the blocks go into setup.exe
  std::uint32_t block_size = 0;   // 0: the size that suits compress_level
  int compress_level = 0;         // zstd's level, 1 to 22; 0 stores the blocks as they are
};

// The blocks of a payload in setup.exe itself lie beside the index as
// OUTPUT.blocks until they are linked in.
std::filesystem::path blocks_path_for(const std::filesystem::path& index_output);

// The most stored bytes setup.exe itself may carry, as much as the single
// container: the loader reserves the whole image in a 2 GiB address space,
// which the decoding buffers share. Beyond, volumes.
constexpr std::uint64_t most_blocks_in_program = std::uint64_t{1} << 30;

// Packs a scanned tree into the volume index at index_output and its volumes
// beside it. Every output goes to a temporary file first and takes its place
// only when all are complete; volumes of an earlier build with higher numbers
// are removed then, so that the folder holds one build's volumes.
PackOutcome pack_volumes(const TreeScan& scan, const std::filesystem::path& index_output, const VolumePlan& plan,
                         Tdigest& checksum);

// "3", "22": a zstd level, or 0 when text is none.
int parse_compress_level(const std::string& text);

// "700M", "4G", "65536": a volume size in bytes (K, M, G, T are powers of
// 1024), or 0 when text is none.
std::uint64_t parse_volume_size(const std::string& text);
