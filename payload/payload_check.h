#pragma once
// Everything setup.exe checks of its payload bytes before it writes anything:
// the container opens within its resource, its keyed digest matches, and the
// checksum resource is intact, belongs to this container and covers every
// byte of it. A pure function over bytes, so the host tests can run it on
// every damaged variant of a container.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "payload/digest.h"
#include "payload/fileset.h"
#include "payload/fileset_sums.h"

struct CheckedPayload {
  FilesetView fileset;
  FilesetSums sums;
};

enum class PayloadFault {
  none,
  no_container,    // missing, or its header does not fit the resource
  wrong_digest,    // the keyed digest differs
  no_sums,         // the checksum resource is missing or damaged
  sums_differ,     // the container differs from its checksums
};

struct PayloadCheck {
  PayloadFault fault = PayloadFault::none;
  std::optional<CheckedPayload> payload;  // set exactly when fault is none
};

// image/size: the container resource (null when missing); sums/sums_size the
// checksum resource (null when missing).
PayloadCheck check_payload(const std::uint8_t* image, std::size_t size, const std::uint8_t* sums,
                           std::size_t sums_size, Tdigest& checksum);
