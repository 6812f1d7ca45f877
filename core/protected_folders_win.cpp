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
