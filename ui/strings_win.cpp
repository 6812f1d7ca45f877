#include "ui/strings.h"

#include <windows.h>

std::string load_localised_string(int id) {
  char buffer[1000] = {};
  LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), buffer, sizeof buffer);
  return std::string(buffer);  // cut at the first NUL
}
