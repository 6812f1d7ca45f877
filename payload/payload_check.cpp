#include "payload/payload_check.h"

namespace {

PayloadCheck refused(PayloadFault fault) {
  PayloadCheck check;
  check.fault = fault;
  return check;
}

}  // namespace

PayloadCheck check_payload(const std::uint8_t* image, std::size_t size, const std::uint8_t* sums,
                           std::size_t sums_size, Tdigest& checksum) {
  const auto fileset = FilesetView::open(image, size);
  if (!fileset) return refused(PayloadFault::no_container);
  if (!checksum.verify_container(*fileset)) return refused(PayloadFault::wrong_digest);
  const auto checksums = FilesetSums::open(sums, sums_size);
  if (!checksums) return refused(PayloadFault::no_sums);
  if (!check_fileset_sums(*fileset, *checksums).ok()) return refused(PayloadFault::sums_differ);
  PayloadCheck check;
  check.payload = CheckedPayload{*fileset, *checksums};
  return check;
}
