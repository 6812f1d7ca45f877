#include "engine/journal_file.h"

#include <windows.h>

#include "core/folders.h"
#include "core/new_file.h"
#include "core/paths.h"
#include "core/win_handle.h"
#include "core/write_ahead.h"
#include "core/journal.h"
#include "engine/backup_list.h"
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

// Appends text to the file at path: an existing one (an earlier
// installation's) only ever grows, and its length is announced first, so
// that an undo can cut it back; a new one is announced as the run's. On a
// failure nothing of it is left. length_before gets the earlier length (0
// for a new file), created whether the file is new.
bool append_announced(const std::string& path, const std::string& text, WriteAhead* ahead,
                      std::uint64_t& length_before, bool& created) {
  WIN32_FILE_ATTRIBUTE_DATA found{};
  WinHandle file;
  created = !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &found);
  length_before = 0;
  if (!created) {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    length_before = (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
    if (ahead && !ahead->announce(run_record::journal_was_line(path, length_before))) return false;
    file.reset(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  } else {
    file = create_new_file(path, GENERIC_WRITE, ahead);
  }
  if (!file) return false;
  if (append_whole(file.get(), text)) return true;
  file.reset();
  // A file this run made and could not fill is not left behind empty.
  if (created && DeleteFileA(path.c_str()) && ahead) ahead->withdraw(std::string(record::file) + path);
  return false;
}

// Takes back what append_announced added.
void take_back_append(const std::string& path, std::uint64_t length_before, bool created) {
  if (created) {
    DeleteFileA(path.c_str());
    return;
  }
  const WinHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(length_before);
  if (file && SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) SetEndOfFile(file.get());
}

}  // namespace

bool write_journal_file(Tstring_writer& journal, const std::string& path, WriteAhead* ahead, JournalFolder folder,
                        const BackupListLines& backup_list) {
  if (!record_fits(record::file, path)) return false;
  if (folder == JournalFolder::make) force_dirs_journaled(parent_dir(path), journal, ahead);
  // The file lists itself last, but the journal in memory gets that record
  // only once the file is written: a rollback must not delete the journal of
  // an earlier run that this one failed to append to.
  std::string own_record(record::file);
  own_record += path;
  std::string text = journal_text(journal);

  // The backup list beside it, listed before the journal's own record; its
  // run ends where this run's records end in the journal.
  const std::string list_path = join_path(parent_dir(path), backup_list_name);
  const std::string list_record = std::string(record::file) + list_path;
  std::string list_lines;
  if (backup_list) {
    WIN32_FILE_ATTRIBUTE_DATA found{};
    const std::uint64_t journal_before =
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &found)
            ? (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow
            : 0;
    list_lines = backup_list(journal_before + text.size() + list_record.size() + 2 + own_record.size() + 2);
  }
  std::uint64_t list_before = 0;
  bool list_created = false;
  if (!list_lines.empty()) {
    if (!record_fits(record::file, list_path) ||
        !append_announced(list_path, list_lines, ahead, list_before, list_created)) {
      return false;
    }
    text += list_record + "\r\n";
  }
  std::uint64_t journal_before = 0;
  bool created = false;
  if (!append_announced(path, text + own_record + "\r\n", ahead, journal_before, created)) {
    if (!list_lines.empty()) take_back_append(list_path, list_before, list_created);
    return false;
  }
  if (!list_lines.empty()) add_record(journal, record::file, list_path);
  add_record(journal, record::file, path);
  return true;
}
