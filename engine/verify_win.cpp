#include "engine/extract.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "core/win_handle.h"
#include "engine/entry_path.h"
#include "engine/journal.h"

namespace {

// Compared piece by piece: a large file needs no buffer of its own size,
// which a 32-bit process might not be able to allocate.
constexpr DWORD compare_chunk = 1 << 20;

bool read_exactly(HANDLE file, std::uint8_t* buffer, DWORD n) {
  DWORD done = 0;
  while (done < n) {
    DWORD got = 0;
    if (!ReadFile(file, buffer + done, n - done, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

}  // namespace

std::int32_t verify_fileset(const FilesetView& fileset, const std::string& destination) {
  std::int32_t mismatches = 0;
  for_each_entry(fileset, [&](const Tpayload_entry& entry) {
    if (entry.kind != EntryKind::file) return true;
    const EntryPath target = entry_path(destination, entry.name, record::file);
    if (target.status != EntryPathStatus::ok || !verify_file(target.path, entry.size, entry.data)) ++mismatches;
    return true;
  });
  return mismatches;
}

bool verify_file(const std::string& path, std::int32_t size, const std::uint8_t* expected) {
  if (size < 0) return false;
  WinHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(file.get(), &length) || length.QuadPart != size) return false;

  const DWORD chunk = std::min<DWORD>(compare_chunk, static_cast<DWORD>(size));
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[chunk == 0 ? 1 : chunk]);
  if (!buffer) return false;
  for (DWORD offset = 0; offset < static_cast<DWORD>(size); offset += chunk) {
    const DWORD n = std::min<DWORD>(chunk, static_cast<DWORD>(size) - offset);
    if (!read_exactly(file.get(), buffer.get(), n)) return false;
    if (std::memcmp(buffer.get(), expected + offset, n) != 0) return false;
  }
  return true;
}
