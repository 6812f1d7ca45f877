#include "core/protected_folders.h"

#include <windows.h>

#include "core/paths.h"
#include "core/settings.h"

std::string full_path(const std::string& path) {
  char buffer[MAX_PATH * 2];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (n == 0 || n >= sizeof buffer) return path;
  return std::string(buffer, n);
}

std::string long_path(const std::string& path) {
  if (path.find('~') == std::string::npos) return path;  // generated short names hold one
  std::string existing = path;
  std::string rest;
  strip_trailing_backslash(existing);
  const bool trailing = existing.size() != path.size();
  // Down to the first folder below the root, never "C:" (a drive's current folder).
  while (existing.size() > 2) {
    char buffer[MAX_PATH * 2];
    const DWORD n = GetLongPathNameA(existing.c_str(), buffer, sizeof buffer);
    if (n > 0 && n < sizeof buffer) return std::string(buffer, n) + rest + (trailing ? "\\" : "");
    const std::size_t slash = existing.rfind('\\');
    if (slash == std::string::npos) break;
    rest.insert(0, existing.substr(slash));
    existing.resize(slash);
  }
  return path;
}

namespace {

std::string system_folder() {
  char buffer[MAX_PATH];
  const UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

}  // namespace

bool is_in_system_folders(const std::string& path, const FolderTable& folders) {
  if (path.empty()) return false;
  const std::string full = full_path(path);
  for (const std::string& folder : {folders.windows_dir, system_folder()}) {
    if (!folder.empty() && is_same_or_below(full, full_path(folder))) return true;
  }
  return false;
}
