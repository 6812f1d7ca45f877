#pragma once
// Everything setup.exe checks of its payload bytes before it writes anything:
// the container opens within its resource, its keyed digest matches, and the
// checksum resource is intact, belongs to this container and covers every
// byte of it. The container is read once, in pieces, from a ByteSource, so
// that its size costs no memory; the host tests run the same check on every
// damaged variant of a container held in memory.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "payload/byte_source.h"
#include "payload/digest.h"
#include "payload/fileset.h"
#include "payload/fileset_sums.h"
#include "payload/payload_layout.h"

enum class PayloadFault {
  none,
  no_container,    // missing, or its header does not fit the resource
  wrong_digest,    // the keyed digest differs
  no_sums,         // the checksum resource is missing or damaged
  sums_differ,     // the container differs from its checksums
};

// What the installation needs of a checked container: its entries, where its
// data lies in the ByteSource, and its checksums (for reading files back).
struct CheckedContainer {
  PayloadLayout layout;
  std::uint64_t data_offset = 0;
  FilesetSums sums;
};

struct ContainerCheck {
  PayloadFault fault = PayloadFault::none;
  std::optional<CheckedContainer> container;  // set exactly when fault is none
};

// container: the container resource's bytes (null when missing); sums and
// sums_size the checksum resource (null when missing).
ContainerCheck check_container(ByteSource* container, const std::uint8_t* sums, std::size_t sums_size,
                               Tdigest& checksum);

// The same check of a container held in memory, with a view of it.
struct CheckedPayload {
  FilesetView fileset;
  FilesetSums sums;
};

struct PayloadCheck {
  PayloadFault fault = PayloadFault::none;
  std::optional<CheckedPayload> payload;  // set exactly when fault is none
};

PayloadCheck check_payload(const std::uint8_t* image, std::size_t size, const std::uint8_t* sums,
                           std::size_t sums_size, Tdigest& checksum);
