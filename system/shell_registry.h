#pragma once
// The four shell registry functions of shlwapi.dll, bound by name once at
// start-up. The run sequence owns the object and hands it to the steps that
// read or write the registry. A missing library or export is a state: that
// call then returns false every time and does nothing.

#include <windows.h>

// shlwapi's functions, each through a pointer type named after its initials.
using TSHGV = LONG(WINAPI*)(HKEY root, LPCSTR sub_key, LPCSTR value, DWORD* type, void* data, DWORD* size);  // SHGetValueA
using TSHSV = LONG(WINAPI*)(HKEY root, LPCSTR sub_key, LPCSTR value, DWORD type, LPCVOID data, DWORD size);  // SHSetValueA
using TSHDV = LONG(WINAPI*)(HKEY root, LPCSTR sub_key, LPCSTR value);  // SHDeleteValueA
using TSHDK = LONG(WINAPI*)(HKEY root, LPCSTR sub_key);                // SHDeleteKeyA

class ShellRegistry {
 public:
  // All four entry points missing.
  ShellRegistry() = default;
  ShellRegistry(TSHGV get_value, TSHSV set_value, TSHDV delete_value, TSHDK delete_key)
      : get_value_(get_value), set_value_(set_value), delete_value_(delete_value), delete_key_(delete_key) {}

  // Each passes its arguments unchanged and is true exactly when the entry
  // point exists and returns ERROR_SUCCESS. `data` may be null to ask only
  // for the type and size; delete_key removes the whole tree.
  bool shell_get_value(HKEY root, const char* sub_key, const char* value, DWORD* type, void* data,
                       DWORD* size) const;
  bool shell_set_value(HKEY root, const char* sub_key, const char* value, DWORD type, const void* data,
                       DWORD size) const;
  bool shell_delete_value(HKEY root, const char* sub_key, const char* value) const;
  bool shell_delete_key(HKEY root, const char* sub_key) const;

 private:
  TSHGV get_value_ = nullptr;
  TSHSV set_value_ = nullptr;
  TSHDV delete_value_ = nullptr;
  TSHDK delete_key_ = nullptr;
};

// Loads shlwapi.dll (never released) and looks up SHGetValueA, SHSetValueA,
// SHDeleteValueA and SHDeleteKeyA.
ShellRegistry load_shell_registry_helpers();
