#include "engine/entry_path.h"

#include "core/paths.h"
#include "core/short_string.h"
#include "engine/journal.h"

EntryPath entry_path(std::string_view destination, std::string_view name, std::string_view record_prefix) {
  EntryPath result;
  if (!is_contained_name(name)) {
    result.status = EntryPathStatus::escapes;
    return result;
  }
  std::string path;
  path.reserve(destination.size() + name.size());
  path.append(destination).append(name);
  if (!fits_short(path) || !record_fits(record_prefix, path)) {
    result.status = EntryPathStatus::too_long;
    return result;
  }
  result.path = std::move(path);
  return result;
}
