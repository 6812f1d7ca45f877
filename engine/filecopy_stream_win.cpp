#include "engine/filecopy_stream.h"

#include <windows.h>

#include <algorithm>

#include "core/folders.h"
#include "core/paths.h"
#include "core/short_string.h"
#include "engine/journal.h"

namespace {

// Never over an existing file: the caller has moved any earlier one into the
// backup folder, and a file that appeared since then was not saved.
HANDLE create_for_writing(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

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

bool Tfilecopystream::create_file(const std::string& path, Tstring_writer& journal) {
  done();
  // A cut path would name another file, and a cut record would make the
  // rollback delete another one.
  if (!fits_short(path) || !record_fits(record::file, path)) return false;
  file_.reset(create_for_writing(path));
  if (!file_) {
    force_dirs_journaled(parent_dir(path), journal);
    file_.reset(create_for_writing(path));
  }
  if (!file_) return false;
  add_record(journal, record::file, path);
  return true;
}

bool Tfilecopystream::write_block(const std::uint8_t* p, std::int32_t n) {
  if (readable_ || !file_ || n < 0) return false;
  if (n == 0) return true;
  DWORD written = 0;
  // A nearly full disk can accept part of a block and still report success.
  const BOOL ok = WriteFile(file_.get(), p, static_cast<DWORD>(n), &written, nullptr);
  return ok && written == static_cast<DWORD>(n);
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
