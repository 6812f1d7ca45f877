#include "engine/filecopy_stream.h"

#include <windows.h>

#include <algorithm>

#include "core/folders.h"
#include "core/new_file.h"
#include "core/paths.h"
#include "core/short_string.h"
#include "core/journal.h"
#include "payload/xxh3.h"

void Tfilecopystream::done() {
  file_.reset();
  buffer_ = nullptr;
  count_ = 0;
  position_ = 0;
  readable_ = false;
}

bool Tfilecopystream::attach_memory(const std::uint8_t* block, std::int32_t length) {
  done();
  readable_ = true;
  buffer_ = block;
  count_ = std::max<std::int32_t>(length, 0);
  return true;
}

CreateResult Tfilecopystream::create_file(const std::string& path, Tstring_writer& journal, WriteAhead* ahead) {
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
  file_ = create_new_file(path, access, ahead);
  if (!file_ && GetLastError() != ERROR_FILE_EXISTS) {
    force_dirs_journaled(parent_dir(path), journal, ahead);
    file_ = create_new_file(path, access, ahead);
  }
  if (!file_) return GetLastError() == ERROR_FILE_EXISTS ? CreateResult::exists : CreateResult::failed;
  add_record(journal, record::file, path);
  return CreateResult::created;
}

bool Tfilecopystream::write_block(const std::uint8_t* p, std::int32_t n) {
  if (readable_ || !file_ || n < 0) return false;
  if (n == 0) return true;
  // A nearly full disk can accept part of a block and still report success:
  // the rest is written again, which fails with the system's reason.
  while (n > 0) {
    DWORD written = 0;
    if (!WriteFile(file_.get(), p, static_cast<DWORD>(n), &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
    p += written;
    n -= static_cast<std::int32_t>(written);
  }
  return true;
}

std::int32_t Tfilecopystream::copy_to(Tfilecopystream& sink, std::int32_t n) {
  n = std::min(std::max<std::int32_t>(n, 0), available());
  std::int32_t stored = 0;
  // A memory source holds all its bytes already, so this is one write.
  while (n > 0) {
    const std::int32_t c = std::min(n, count_);
    if (!sink.write_block(buffer_ + position_, c)) break;
    position_ += c;
    count_ -= c;
    n -= c;
    stored += c;
  }
  return stored;
}

bool Tfilecopystream::read_back(std::int32_t size, std::uint8_t* buffer, std::uint32_t buffer_size,
                                Xxh3Stream& hash) {
  hash.reset();
  if (readable_ || !file_ || size < 0 || buffer_size == 0) return false;
  if (SetFilePointer(file_.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
  auto left = static_cast<std::uint32_t>(size);
  while (left > 0) {
    DWORD got = 0;
    if (!ReadFile(file_.get(), buffer, std::min(left, buffer_size), &got, nullptr) || got == 0) return false;
    hash.update(buffer, got);
    left -= got;
  }
  return true;
}
