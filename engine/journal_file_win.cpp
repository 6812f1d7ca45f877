#include "engine/journal_file.h"

#include <windows.h>

#include "core/folders.h"
#include "core/new_file.h"
#include "core/paths.h"
#include "core/win_handle.h"
#include "core/write_ahead.h"
#include "core/journal.h"
#include "engine/run_record.h"

namespace {

std::string journal_text(const Tstring_writer& journal) {
  std::string text;
  text.reserve(static_cast<std::size_t>(journal.length()) * 2);
  for (const auto& r : read_records(journal)) text.append(r).append("\r\n");
  return text;
}

// Appends bytes at the end of the file; on a short or failed write the file is
// cut back to its former length, so a full disk leaves no half line behind.
bool append_whole(HANDLE file, const std::string& bytes) {
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END)) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (ok && written == bytes.size()) return true;
  SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  return false;
}

}  // namespace

bool write_journal_file(Tstring_writer& journal, const std::string& path, WriteAhead* ahead, JournalFolder folder) {
  if (!record_fits(record::file, path)) return false;
  if (folder == JournalFolder::make) force_dirs_journaled(parent_dir(path), journal, ahead);
  // The file lists itself last, but the journal in memory gets that record
  // only once the file is written: a rollback must not delete the journal of
  // an earlier run that this one failed to append to.
  std::string own_record(record::file);
  own_record += path;
  const std::string text = journal_text(journal) + own_record + "\r\n";

  // An existing file, left by an earlier installation, is only ever appended
  // to; the record keeps its length, so that an undo can cut it back.
  WIN32_FILE_ATTRIBUTE_DATA found{};
  WinHandle file;
  const bool existed = GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &found);
  if (existed) {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    const std::uint64_t length = (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
    if (ahead) ahead->announce(run_record::journal_was_line(path, length));
    file.reset(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  } else {
    file = create_new_file(path, GENERIC_WRITE, ahead);
  }
  if (!file) return false;
  if (!append_whole(file.get(), text)) {
    file.reset();
    // A file this run made and could not fill is not left behind empty.
    if (!existed && DeleteFileA(path.c_str()) && ahead) ahead->withdraw(own_record);
    return false;
  }
  add_record(journal, record::file, path);
  return true;
}
