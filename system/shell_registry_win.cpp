#include "system/shell_registry.h"

#include "core/entry_point_win.h"

bool ShellRegistry::shell_get_value(HKEY root, const char* sub_key, const char* value, DWORD* type, void* data,
                                    DWORD* size) const {
  return get_value_ && get_value_(root, sub_key, value, type, data, size) == ERROR_SUCCESS;
}

bool ShellRegistry::shell_set_value(HKEY root, const char* sub_key, const char* value, DWORD type,
                                    const void* data, DWORD size) const {
  return set_value_ && set_value_(root, sub_key, value, type, data, size) == ERROR_SUCCESS;
}

bool ShellRegistry::shell_delete_value(HKEY root, const char* sub_key, const char* value) const {
  return delete_value_ && delete_value_(root, sub_key, value) == ERROR_SUCCESS;
}

bool ShellRegistry::shell_delete_key(HKEY root, const char* sub_key) const {
  return delete_key_ && delete_key_(root, sub_key) == ERROR_SUCCESS;
}

ShellRegistry load_shell_registry_helpers() {
  // Stays loaded until the process ends: the pointers are used throughout the run.
  const HMODULE shlwapi = LoadLibraryA("shlwapi.dll");
  if (!shlwapi) return ShellRegistry();
  const auto get_value = find_entry_point<TSHGV>(shlwapi, "SHGetValueA");
  const auto set_value = find_entry_point<TSHSV>(shlwapi, "SHSetValueA");
  const auto delete_value = find_entry_point<TSHDV>(shlwapi, "SHDeleteValueA");
  const auto delete_key = find_entry_point<TSHDK>(shlwapi, "SHDeleteKeyA");
  return ShellRegistry(get_value, set_value, delete_value, delete_key);
}
