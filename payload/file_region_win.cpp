#include "payload/file_region_win.h"

#include <algorithm>

bool FileRegion::read(std::uint64_t offset, std::uint8_t* into, std::size_t n) {
  if (offset > size_ || n > size_ - offset) return false;
  std::uint64_t at = offset_ + offset;
  while (n > 0) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0;
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(n, 64u << 20));
    if (!ReadFile(file_.get(), into, ask, &got, &where) || got == 0) return false;
    into += got;
    at += got;
    n -= got;
  }
  return true;
}
