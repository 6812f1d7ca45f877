// libFuzzer target: the container reader, the checksum reader and check, and
// the installation plan, on arbitrary bytes. An input is a container followed
// by its checksum resource, as the packer writes them side by side; the
// container's header says where the one ends and the other begins.
//
// Beyond "no crash, no read outside the input" (AddressSanitizer), it checks
// that a container the reader accepts gets checksums that it then passes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/install_plan.h"
#include "payload/fileset.h"
#include "payload/fileset_sums.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto whole = FilesetView::open(data, size);
  if (!whole) {
    FilesetSums::open(data, size);
    return 0;
  }
  const std::size_t length = static_cast<std::size_t>(container_length(*whole));
  const auto view = FilesetView::open(data, length);
  if (!view) std::abort();  // the same header fits the shorter span
  walk_and_plan(*view);

  if (const auto sums = FilesetSums::open(data + length, size - length)) check_fileset_sums(*view, *sums);

  // Checksums made of an accepted container pass the check, unless its files
  // leave data bytes that no checksum covers.
  const std::vector<std::uint8_t> made = make_fileset_sums(*view);
  const auto own = FilesetSums::open(made.data(), made.size());
  if (!own) std::abort();
  const SumsCheck result = check_fileset_sums(*view, *own).result;
  if (result != SumsCheck::ok && result != SumsCheck::data_not_covered) std::abort();
  return 0;
}
