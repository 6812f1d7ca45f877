#include "core/folders.h"

#include <windows.h>

#include "core/paths.h"
#include "core/short_string.h"
#include "engine/journal.h"

namespace {

bool create_one(const std::string& path, Tstring_writer* journal) {
  if (!fits_short(path)) return false;
  if (journal && !record_fits(record::dir, path)) return false;
  if (!CreateDirectoryA(path.c_str(), nullptr)) return false;
  if (journal) add_record(*journal, record::dir, path);
  return true;
}

bool create_with_parents(const std::string& path, Tstring_writer* journal) {
  // Checked before any parent is made, so nothing is left for a refused folder.
  if (!fits_short(path) || (journal && !record_fits(record::dir, path))) return false;
  if (create_one(path, journal)) return true;
  const std::string parent = parent_dir(path);
  if (parent.empty()) return false;
  return create_with_parents(parent, journal) && create_one(path, journal);
}

}  // namespace

bool make_dir(const std::string& path) { return create_one(path, nullptr); }

bool make_dir_journaled(const std::string& path, Tstring_writer& journal) {
  return create_one(path, &journal);
}

bool force_dirs(const std::string& path) { return create_with_parents(path, nullptr); }

bool force_dirs_journaled(const std::string& path, Tstring_writer& journal) {
  return create_with_parents(path, &journal);
}
