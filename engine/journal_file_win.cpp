#include "engine/journal_file.h"

#include <windows.h>

#include "core/folders.h"
#include "core/paths.h"
#include "core/win_handle.h"
#include "engine/journal.h"

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

bool write_journal_file(Tstring_writer& journal, const std::string& path) {
  if (!record_fits(record::file, path)) return false;
  force_dirs_journaled(parent_dir(path), journal);
  // The file lists itself last, but the journal in memory gets that record
  // only once the file is written: a rollback must not delete the journal of
  // an earlier run that this one failed to append to.
  std::string own_record(record::file);
  own_record += path;
  const std::string text = journal_text(journal) + own_record + "\r\n";

  // OPEN_ALWAYS creates a missing file; an existing one, left by an earlier
  // installation, is only ever appended to.
  WinHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !append_whole(file.get(), text)) return false;
  add_record(journal, record::file, path);
  return true;
}
