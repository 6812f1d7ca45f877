#include "engine/entry_path.h"

#include "core/paths.h"
#include "core/short_string.h"
#include "core/journal.h"

EntryPath entry_path(std::string_view destination, std::string_view name, std::string_view record_prefix) {
  EntryPath result;
  // The container separates folders with "\" only; a "/" would make the
  // folder of a file differ between the walk and the backup.
  if (!is_contained_name(name) || name.find('/') != std::string_view::npos) {
    result.status = EntryPathStatus::escapes;
    return result;
  }
  // The installation folder ends with "\"; join_path adds one if it does not,
  // so a name can never run on into the folder's own name.
  std::string path = join_path(destination, name);
  if (!fits_short(path) || !record_fits(record_prefix, path)) {
    result.status = EntryPathStatus::too_long;
    return result;
  }
  result.path = std::move(path);
  return result;
}
