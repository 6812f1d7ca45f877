#pragma once
// Functions that older systems may lack (the shell's, the cryptography's,
// moving a file through its handle) are looked up by name at run time, each
// through a function-pointer type.

#include <windows.h>

// The export `name` of `library` as a T, or null when the library or the
// export is missing.
template <typename T>
T find_entry_point(HMODULE library, const char* name) {
  if (!library) return nullptr;
  // Through void(*)(), the one function type a cast to any other is defined for
  // without a warning.
  return reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}
