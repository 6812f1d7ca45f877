#include "engine/filecopy_stream.h"

#include <windows.h>

#include <algorithm>

#include "core/folders.h"
#include "core/new_file.h"
#include "core/paths.h"
#include "core/short_string.h"
#include "core/journal.h"
#include "payload/xxh3.h"

void Tfilecopystream::done() { file_.reset(); }

namespace {

// Files from this size on are written through (create_file).
constexpr std::uint64_t write_through_from = 4u << 20;

}  // namespace

CreateResult Tfilecopystream::create_file(const std::string& path, Tstring_writer& journal, WriteAhead* ahead,
                                          std::uint64_t size) {
  done();
  // A cut path would name another file, and a cut record would make the
  // rollback delete another one.
  if (!fits_short(path) || !record_fits(record::file, path)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return CreateResult::failed;
  }
  // Never over an existing file. Read access lets the installation check
  // what it wrote.
  constexpr DWORD access = GENERIC_READ | GENERIC_WRITE;
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | (size >= write_through_from ? FILE_FLAG_WRITE_THROUGH : 0);
  file_ = create_new_file(path, access, ahead, flags);
  if (!file_ && GetLastError() != ERROR_FILE_EXISTS) {
    force_dirs_journaled(parent_dir(path), journal, ahead);
    file_ = create_new_file(path, access, ahead, flags);
  }
  if (!file_) return GetLastError() == ERROR_FILE_EXISTS ? CreateResult::exists : CreateResult::failed;
  add_record(journal, record::file, path);
  return CreateResult::created;
}

bool Tfilecopystream::preallocate(std::uint64_t size) {
  if (!file_) return false;
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  const LARGE_INTEGER start{};
  if (!SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file_.get())) {
    const DWORD error = GetLastError();
    SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN);
    SetEndOfFile(file_.get());
    SetLastError(error);
    return false;
  }
  return SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN) != 0;
}

bool Tfilecopystream::write_block(const std::uint8_t* p, std::size_t n) {
  if (!file_) return false;
  // A nearly full disk can accept part of a block and still report success:
  // the rest is written again, which fails with the system's reason.
  while (n > 0) {
    DWORD written = 0;
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(n, 64u << 20));
    if (!WriteFile(file_.get(), p, ask, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
    p += written;
    n -= written;
  }
  return true;
}

bool Tfilecopystream::read_back(std::uint64_t size, std::uint8_t* buffer, std::uint32_t buffer_size,
                                Xxh3Stream& hash) {
  hash.reset();
  if (!file_ || buffer_size == 0) return false;
  const LARGE_INTEGER start{};
  if (!SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN)) return false;
  std::uint64_t left = size;
  while (left > 0) {
    DWORD got = 0;
    const DWORD ask = static_cast<DWORD>(std::min<std::uint64_t>(left, buffer_size));
    if (!ReadFile(file_.get(), buffer, ask, &got, nullptr) || got == 0) return false;
    hash.update(buffer, got);
    left -= got;
  }
  return true;
}
