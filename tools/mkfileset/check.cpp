#include "tools/mkfileset/check.h"

#include <vector>

#include "payload/fileset_format.h"
#include "payload/fileset_writer.h"
#include "tools/mkfileset/tree_scan.h"

TreeCheck check_tree(const std::filesystem::path& root, bool volumes) {
  TreeCheck check;
  const TreeScan scan = scan_tree(root);
  if (!scan.ok()) {
    check.error = scan.error;
    return check;
  }
  if (volumes) {
    for (const ScannedEntry& e : scan.entries) {
      check.file_bytes += e.folder ? 0 : static_cast<std::uint64_t>(e.size);
    }
    check.entries = static_cast<std::int32_t>(scan.entries.size());
    return check;
  }
  check.error = container_problems(scan);
  if (!check.ok()) return check;
  const std::vector<FilesetEntry> entries = fileset_entries(scan);
  const FilesetLayout layout = plan_fileset(entries);
  if (!layout.ok()) {
    check.error = layout.failed_entry >= 0
                      ? "'" + scan.entries[static_cast<std::size_t>(layout.failed_entry)].source.string() + "': " +
                            layout.error
                      : "'" + root.string() + "': " + layout.error;
    return check;
  }
  check.entries = layout.count;
  check.file_bytes = static_cast<std::uint64_t>(layout.data_length);
  return check;
}
