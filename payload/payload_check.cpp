#include "payload/payload_check.h"

#include <algorithm>
#include <vector>

namespace {

// The data block passes through in pieces of this size.
constexpr std::size_t check_piece = 4u << 20;
// A head (size table and names) larger than this is no container of ours:
// 20,000 files take about 1 MiB.
constexpr std::uint64_t largest_head = 64u << 20;

ContainerCheck refused(PayloadFault fault) {
  ContainerCheck check;
  check.fault = fault;
  return check;
}

}  // namespace

ContainerCheck check_container(ByteSource* container, const std::uint8_t* sums, std::size_t sums_size,
                               Tdigest& checksum) {
  // The head first: header, size table, names.
  std::uint8_t header[fileset_header_size];
  if (!container || !container->read(0, header, sizeof header)) return refused(PayloadFault::no_container);
  const std::optional<std::uint64_t> head_size = FilesetView::head_size(header);
  if (!head_size || *head_size > container->size() || *head_size > largest_head)
    return refused(PayloadFault::no_container);
  std::vector<std::uint8_t> head(static_cast<std::size_t>(*head_size));
  if (!container->read(0, head.data(), head.size())) return refused(PayloadFault::no_container);
  const auto view = FilesetView::open_head(head.data(), head.size(), static_cast<std::size_t>(container->size()));
  if (!view) return refused(PayloadFault::no_container);

  // Then the data, once, through the digest and the checksums together.
  const std::optional<FilesetSums> file_sums = FilesetSums::open(sums, sums_size);
  std::optional<EntrySumsCheck> entries;
  if (file_sums) entries.emplace(*view, *file_sums);
  checksum.digest_container_head(*view);
  Tdigest::RegionStream data_digest(checksum, view->data_length(), fileset_tag_data);
  std::vector<std::uint8_t> piece(std::min<std::size_t>(check_piece, std::max(view->data_length(), 1)));
  const auto data_length = static_cast<std::uint64_t>(view->data_length());
  for (std::uint64_t at = 0; at < data_length;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), data_length - at));
    if (!container->read(view->data_offset() + at, piece.data(), n)) return refused(PayloadFault::no_container);
    data_digest.feed(piece.data(), n);
    if (entries) entries->feed(piece.data(), n);
    at += n;
  }
  if (!data_digest.finish() || !checksum.matches(view->stored_digest())) return refused(PayloadFault::wrong_digest);
  if (!file_sums) return refused(PayloadFault::no_sums);
  if (!check_fileset_head(*view, *file_sums).ok() || !entries->finish().ok())
    return refused(PayloadFault::sums_differ);

  ContainerCheck check;
  check.container = CheckedContainer{layout_of(*view), view->data_offset(), *file_sums};
  return check;
}

PayloadCheck check_payload(const std::uint8_t* image, std::size_t size, const std::uint8_t* sums,
                           std::size_t sums_size, Tdigest& checksum) {
  MemoryBytes bytes(image, size);
  const ContainerCheck checked = check_container(image ? &bytes : nullptr, sums, sums_size, checksum);
  PayloadCheck check;
  check.fault = checked.fault;
  if (checked.container) {
    check.payload = CheckedPayload{*FilesetView::open(image, size), checked.container->sums};
  }
  return check;
}
