#include "tools/mkfileset/pack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "payload/fileset_sums.h"
#include "payload/fileset_writer.h"
#include "payload/xxh3.h"
#include "tools/mkfileset/file_io.h"
#include "tools/mkfileset/kind_order.h"
#include "tools/mkfileset/pack_volumes.h"

namespace fs = std::filesystem;

namespace {

// Files pass through the packer in pieces of this size.
constexpr std::size_t copy_chunk = 1 << 20;

// True when path names folder itself or anything below it, links resolved.
bool lies_inside(const fs::path& folder, const fs::path& path) {
  std::error_code ec;
  const fs::path base = fs::canonical(folder, ec);
  if (ec) return false;
  // Made absolute first: a relative path none of which exists yet would
  // come back relative.
  const fs::path absolute = fs::absolute(path, ec);
  if (ec) return false;
  const fs::path target = fs::weakly_canonical(absolute, ec);
  if (ec) return false;
  return std::mismatch(base.begin(), base.end(), target.begin(), target.end()).first == base.end();
}

PackOutcome refused(std::string error) {
  PackOutcome outcome;
  outcome.error = std::move(error);
  return outcome;
}

}  // namespace

fs::path sums_path_for(const fs::path& container) {
  fs::path sums = container;
  sums += ".sums";
  return sums;
}

PackOutcome pack_tree(const TreeScan& scan, const fs::path& output, Tdigest& checksum) {
  if (!scan.ok()) return refused(scan.error);
  const std::string too_large = container_problems(scan);
  if (!too_large.empty()) return refused(too_large);
  const std::vector<FilesetEntry> entries = fileset_entries(scan);  // contents are streamed from the files
  const auto source_error = [&scan](std::int32_t index, const std::string& error) {
    if (index < 0) return refused(error);
    return refused(quoted(scan.entries[static_cast<std::size_t>(index)].source) + ": " + error);
  };
  const FilesetLayout layout = plan_fileset(entries);
  if (!layout.ok()) return source_error(layout.failed_entry, layout.error);

  const fs::path sums_output = sums_path_for(output);
  TemporaryFile container(output);
  TemporaryFile sums_file(sums_output);
  if (!container.created() || !sums_file.created())
    return refused(quoted(output) + ": cannot create a file there: " + errno_text());

  // Header, size table and names first; the digest is filled in at the end.
  std::vector<std::uint8_t> head = fileset_head(entries, layout);
  if (!container.write(head.data(), head.size())) return refused(quoted(output) + ": cannot write: " + errno_text());
  checksum.reset_digest();
  checksum.absorb_region(head.data(), 12, fileset_tag_header);
  checksum.absorb_region(head.data() + fileset_header_size, 4 * layout.count, fileset_tag_sizes);
  checksum.absorb_region(head.data() + fileset_header_size + 4 * std::size_t(layout.count), layout.names_length,
                         fileset_tag_names);

  Tdigest::RegionStream data_digest(checksum, layout.data_length, fileset_tag_data);
  Xxh3Stream file_sum;
  std::vector<std::uint8_t> buffer(copy_chunk);
  std::vector<std::uint64_t> entry_sums(entries.size(), 0);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].size < 0) continue;
    std::string error;
    file_sum.reset();
    const auto consume = [&](const std::uint8_t* p, std::size_t n) {
      if (!container.write(p, n)) {
        error = "cannot write the container: " + errno_text();
        return false;
      }
      data_digest.feed(p, n);
      file_sum.update(p, n);
      return true;
    };
    if (!read_file_exactly(scan.entries[i].source, static_cast<std::uint64_t>(entries[i].size), buffer, consume,
                           error))
      return source_error(static_cast<std::int32_t>(i), error);
    entry_sums[i] = file_sum.digest();
  }
  if (!data_digest.finish()) return refused("internal error: the file data does not fill the data block");

  std::memcpy(head.data() + 12, checksum.digest().data(), checksum.digest().size());
  const std::vector<std::uint8_t> sums = encode_fileset_sums(layout.total_size, xxh3_64(head.data(), head.size()),
                                                             entry_sums);
  if (!container.write_at(12, head.data() + 12, checksum.digest().size()) ||
      !sums_file.write(sums.data(), sums.size()))
    return refused(quoted(output) + ": cannot write: " + errno_text());

  if (!container.commit(output)) return refused(quoted(output) + ": cannot write: " + errno_text());
  if (!sums_file.commit(sums_output)) {
    // A container without its own checksums must not stay behind.
    const std::string why = errno_text();
    ::unlink(output.c_str());
    return refused(quoted(sums_output) + ": cannot write: " + why);
  }
  PackOutcome outcome;
  outcome.entries = layout.count;
  outcome.bytes = layout.total_size;
  return outcome;
}

PackOutcome pack_directory(const fs::path& root, const fs::path& output, Tdigest& checksum,
                           const std::vector<MissingFile>& missing, std::vector<std::string>* added,
                           const VolumePlan* volumes) {
  // A second run would pack the first run's output along with the files.
  for (const fs::path& written : {output, sums_path_for(output)}) {
    if (lies_inside(root, written))
      return refused(quoted(written) + ": the output file must not lie inside the folder being packed");
  }
  TreeScan scan = scan_tree(root);
  for (const MissingFile& m : missing) {
    if (scan.ok() && add_missing_file(scan, m.name, m.source) == AddMissing::added && added) added->push_back(m.name);
  }
  if (!scan.ok()) return refused(scan.error);
  if (volumes && volumes->compress_level > 0) order_by_kind(scan);
  return volumes ? pack_volumes(scan, output, *volumes, checksum) : pack_tree(scan, output, checksum);
}

bool read_whole_file(const fs::path& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    error = quoted(path) + ": not a readable file";
    return false;
  }
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec) {
    error = quoted(path) + ": " + ec.message();
    return false;
  }
  bytes.assign(static_cast<std::size_t>(size), 0);
  const File file(std::fopen(path.c_str(), "rb"));
  if (!file || (size > 0 && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())) {
    error = quoted(path) + ": cannot read: " + std::strerror(errno);
    return false;
  }
  return true;
}
