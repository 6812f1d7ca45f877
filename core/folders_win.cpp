#include "core/folders.h"

#include <windows.h>

#include "core/paths.h"
#include "core/short_string.h"
#include "core/write_ahead.h"
#include "core/journal.h"

namespace {

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool create_one(const std::string& path, Tstring_writer* journal, WriteAhead* ahead) {
  if (!fits_short(path) || (journal && !record_fits(record::dir, path))) return false;
  // Announced only for a place that is free: a folder that was there before
  // must never look like the run's own.
  if (exists(path)) return false;
  std::string line(record::dir);
  line += path;
  if (ahead && !ahead->announce(line)) return false;
  if (!CreateDirectoryA(path.c_str(), nullptr)) {
    const DWORD error = GetLastError();
    if (ahead) ahead->withdraw(line);
    SetLastError(error);
    return false;
  }
  if (journal) journal->add(line);
  return true;
}

bool create_with_parents(const std::string& path, Tstring_writer* journal, WriteAhead* ahead) {
  // Checked before any parent is made, so nothing is left for a refused folder.
  if (!fits_short(path) || (journal && !record_fits(record::dir, path))) return false;
  if (exists(path)) return false;
  std::string bare = path;
  strip_trailing_backslash(bare);
  const std::string parent = parent_dir(bare);
  if (!parent.empty() && !exists(parent)) {
    create_with_parents(parent, journal, ahead);
    if (!exists(parent)) return false;
  }
  return create_one(path, journal, ahead);
}

}  // namespace

bool make_dir(const std::string& path, WriteAhead* ahead) { return create_one(path, nullptr, ahead); }

bool make_dir_journaled(const std::string& path, Tstring_writer& journal, WriteAhead* ahead) {
  return create_one(path, &journal, ahead);
}

bool force_dirs(const std::string& path, WriteAhead* ahead) { return create_with_parents(path, nullptr, ahead); }

bool force_dirs_journaled(const std::string& path, Tstring_writer& journal, WriteAhead* ahead) {
  return create_with_parents(path, &journal, ahead);
}
