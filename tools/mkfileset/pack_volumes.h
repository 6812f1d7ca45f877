#pragma once
// The packer's second form: the files in data volumes beside setup.exe and
// the volume index the setup carries (payload/volume_format.h), for products
// larger than one program can hold, or when the maker asks for volumes.

#include <cstdint>
#include <filesystem>
#include <string>

#include "payload/digest.h"
#include "payload/volume_format.h"
#include "tools/mkfileset/pack.h"
#include "tools/mkfileset/tree_scan.h"

struct VolumePlan {
  std::string name;               // the volumes' base name: <name>-1.bin, ...
  std::uint64_t volume_size = 0;  // bytes of data per volume, before rounding down to whole blocks
  std::uint32_t block_size = default_block_size;
};

// Packs a scanned tree into the volume index at index_output and its volumes
// beside it. Every output goes to a temporary file first and takes its place
// only when all are complete; volumes of an earlier build with higher numbers
// are removed then, so that the folder holds one build's volumes.
PackOutcome pack_volumes(const TreeScan& scan, const std::filesystem::path& index_output, const VolumePlan& plan,
                         Tdigest& checksum);

// "700M", "4G", "65536": a volume size in bytes (K, M, G, T are powers of
// 1024), or 0 when text is none.
std::uint64_t parse_volume_size(const std::string& text);
