#include "core/file_bytes.h"

#include <windows.h>

#include "core/win_handle.h"

std::optional<std::string> read_file_bytes(const std::string& path, std::uint64_t limit) {
  const WinHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) > limit) {
    SetLastError(ERROR_FILE_TOO_LARGE);
    return std::nullopt;
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  char buffer[65536];
  DWORD got = 0;
  BOOL ok = TRUE;
  while ((ok = ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) && got > 0) {
    bytes.append(buffer, got);
    if (bytes.size() > limit) {
      SetLastError(ERROR_FILE_TOO_LARGE);
      return std::nullopt;
    }
  }
  if (!ok) return std::nullopt;
  return bytes;
}
