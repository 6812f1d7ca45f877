#include "tools/mkfileset/kind_order.h"

#include <algorithm>
#include <string>
#include <tuple>

#include "core/name_case.h"

std::string file_kind(std::string_view name) {
  const std::size_t slash = name.rfind('\\');
  const std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
  const std::size_t dot = last.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  return fold_name_case(last.substr(dot + 1));
}

void order_by_kind(TreeScan& scan) {
  struct Keyed {
    std::string kind;
    const ScannedEntry* entry;
  };
  const auto first_file = std::stable_partition(scan.entries.begin(), scan.entries.end(),
                                                [](const ScannedEntry& e) { return e.folder; });
  std::vector<Keyed> files;
  for (auto it = first_file; it != scan.entries.end(); ++it) files.push_back({file_kind(it->name), &*it});
  std::sort(files.begin(), files.end(), [](const Keyed& a, const Keyed& b) {
    return std::tie(a.kind, a.entry->size, a.entry->name) < std::tie(b.kind, b.entry->size, b.entry->name);
  });
  std::vector<ScannedEntry> ordered(scan.entries.begin(), first_file);
  ordered.reserve(scan.entries.size());
  for (const Keyed& f : files) ordered.push_back(*f.entry);
  scan.entries = std::move(ordered);
}
