#include "core/new_file.h"

#include "core/write_ahead.h"
#include "core/journal.h"

WinHandle create_new_file(const std::string& path, unsigned long access, WriteAhead* ahead, unsigned long flags) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    SetLastError(ERROR_FILE_EXISTS);
    return WinHandle();
  }
  std::string line(record::file);
  line += path;
  if (ahead && !ahead->announce(line)) return WinHandle();
  WinHandle file(CreateFileA(path.c_str(), access, 0, nullptr, CREATE_NEW, flags, nullptr));
  if (!file) {
    DWORD error = GetLastError();
    if (ahead) ahead->withdraw(line);
    if (error == ERROR_ALREADY_EXISTS) error = ERROR_FILE_EXISTS;
    SetLastError(error);
  }
  return file;
}
