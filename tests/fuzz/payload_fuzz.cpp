// libFuzzer target: the container reader, the checksum reader and check, and
// the installation plan, on arbitrary bytes. An input is a container followed
// by its checksum resource, as the packer writes them side by side; the
// container's header says where the one ends and the other begins.
//
// Beyond "no crash, no read outside the input" (AddressSanitizer), it checks
// that a container the reader accepts gets checksums that it then passes.
// The same bytes also go through the streaming check setup.exe runs, and
// through the reader of a volume index.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "engine/install_plan.h"
#include "payload/digest.h"
#include "payload/fileset.h"
#include "payload/fileset_sums.h"
#include "payload/payload_check.h"
#include "payload/volume_index.h"
#include "payload/xxh3.h"

namespace {

std::uint64_t container_length(const FilesetView& view) {
  return std::uint64_t{fileset_header_size} + 4 * std::uint64_t(view.count()) + std::uint64_t(view.names_length()) +
         std::uint64_t(view.data_length());
}

void walk_and_plan(const FilesetView& view) {
  std::uint64_t names = 0;
  for_each_entry(view, [&names](const Tpayload_entry& entry) {
    names += entry.name.size();
    if (entry.kind == EntryKind::file && entry.size > 0) names += entry.data[entry.size - 1];  // touches the last byte
    return true;
  });
  const InstallPlan plan(view);
  if (plan.ok()) {
    plan.check_own_file("uninst\\log_inst.dat");
    plan.fits_below("C:\\Program Files\\Quasarine_II\\");
  }
}

// An index it accepts gives a layout to plan and volumes to place.
void read_as_index(const std::uint8_t* data, std::size_t size) {
  const auto index = VolumeIndex::open(data, size);
  if (!index) return;
  const PayloadLayout layout = index->layout();
  if (layout.names_exact && layout.sizes_fill_data) InstallPlan plan(layout);
  // Volumes hold whole blocks, in order, and together the stored stream.
  std::uint64_t next_block = 0, next_offset = 0;
  for (std::uint32_t n = 1; n <= index->volume_count() && n <= 1000; ++n) {
    const VolumeSpan span = index->volume(n);
    if (span.first_block != next_block || span.offset != next_offset) std::abort();
    next_block = span.end_block;
    next_offset = span.offset + span.size;
  }
  std::uint64_t stored = 0;
  for (std::uint64_t b = 0; b < index->block_count(); ++b) {
    const BlockEntry e = index->block(b);
    if (e.stored_offset != stored || e.stored_size > index->block_size() || e.original_size > index->block_size())
      std::abort();
    stored += e.stored_size;
  }
  if (stored != index->stored_length()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Tdigest checksum(code_seed);
  read_as_index(data, size);
  // Again with its own sum made right, so that the checks behind it are what
  // an input meets, as an index edited on purpose would.
  if (size >= volume_index_header_size + 8) {
    std::vector<std::uint8_t> sealed(data, data + size);
    const std::uint64_t sum = xxh3_64(sealed.data(), size - 8);
    std::memcpy(sealed.data() + size - 8, &sum, 8);
    read_as_index(sealed.data(), size);
  }
  const auto whole = FilesetView::open(data, size);
  if (!whole) {
    FilesetSums::open(data, size);
    return 0;
  }
  const std::size_t length = static_cast<std::size_t>(container_length(*whole));
  const auto view = FilesetView::open(data, length);
  if (!view) std::abort();  // the same header fits the shorter span
  walk_and_plan(*view);

  const std::optional<FilesetSums> given = FilesetSums::open(data + length, size - length);
  const SumsCheck given_result = given ? check_fileset_sums(*view, *given).result : SumsCheck::other_container;
  // The streaming check agrees with the one over bytes held in memory.
  const PayloadCheck streamed = check_payload(data, length, data + length, size - length, checksum);
  if (streamed.fault == PayloadFault::none && given_result != SumsCheck::ok) std::abort();

  // Checksums made of an accepted container pass the check, unless its files
  // leave data bytes that no checksum covers.
  const std::vector<std::uint8_t> made = make_fileset_sums(*view);
  const auto own = FilesetSums::open(made.data(), made.size());
  if (!own) std::abort();
  const SumsCheck result = check_fileset_sums(*view, *own).result;
  if (result != SumsCheck::ok && result != SumsCheck::data_not_covered) std::abort();
  return 0;
}
