#pragma once
// The payload carried by the running program: the container as resource type
// 999 named EXEBINFILESET and its checksums as EXEBINFILESUMS, or the index of
// its data volumes as EXEBINVOLUMES. The checksums and the index are read in
// the program's resource memory; the container, which can be large, is read
// from the program's file by handle.

#include <memory>
#include <optional>
#include <string>

#include "payload/byte_source.h"
#include "payload/digest.h"
#include "payload/payload_check.h"
#include "payload/payload_source.h"
#include "payload/volume_index.h"

struct LoadedContainer {
  ContainerCheck check;
  std::unique_ptr<ByteSource> bytes;  // the container's bytes in the program's file
  std::string program;                // that file
};

// Finds both resources and checks them (payload/payload_check.h). A missing
// or unreadable resource counts as missing.
LoadedContainer load_payload(Tdigest& checksum);

// The block index, carried instead of the container when the files lie in
// data volumes beside the program, or are compressed.
struct IndexLoad {
  bool carried = false;               // the program has the resource
  std::optional<VolumeIndex> index;   // it opened and its keyed digest matched
  BlockRegion blocks;                 // the blocks the program carries, if it does
};
IndexLoad load_volume_index(Tdigest& checksum);
