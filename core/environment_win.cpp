#include "core/environment.h"

#include <windows.h>

#include <vector>

std::string environment_value(const char* name) {
  const DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);  // with the terminator
  if (needed == 0) return {};
  std::vector<char> buffer(needed);
  const DWORD length = GetEnvironmentVariableA(name, buffer.data(), needed);
  if (length == 0 || length >= needed) return {};  // changed in between
  return std::string(buffer.data(), length);
}
