#include "engine/temp_folder.h"

#include <windows.h>

#include "core/paths.h"
#include "core/settings.h"

namespace {

std::string environment_variable(const char* name) {
  const DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);  // with the terminator
  if (needed == 0) return {};
  std::string value(needed, '\0');
  const DWORD n = GetEnvironmentVariableA(name, &value[0], needed);
  if (n == 0 || n >= needed) return {};
  value.resize(n);
  return value;
}

}  // namespace

std::string temp_folder(const FolderTable& folders) {
  const std::string temp = environment_variable("TEMP");
  if (!temp.empty()) return temp;
  return folders.documents_dir.empty() ? std::string() : join_path(folders.documents_dir, "temp");
}
