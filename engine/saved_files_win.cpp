#include "engine/saved_files.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "core/entry_point_win.h"
#include "core/file_digest.h"
#include "core/name_case.h"
#include "core/write_ahead.h"
#include "engine/run_record.h"

namespace {

// SetFileInformationByHandle (Vista and later), looked up by name, with the
// two kinds of information used here, declared as the system lays them out.
using SetInformation = BOOL(WINAPI*)(HANDLE file, int kind, void* information, DWORD size);
constexpr int rename_information = 3;       // FileRenameInfo
constexpr int disposition_information = 4;  // FileDispositionInfo
struct RenameInformation {
  BOOL replace_if_exists;
  HANDLE root_directory;
  DWORD name_length;  // bytes
  WCHAR name[1];
};

SetInformation set_information() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return find_entry_point<SetInformation>(kernel, "SetFileInformationByHandle");
}

std::wstring to_wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

constexpr DWORD no_attributes = INVALID_FILE_ATTRIBUTES;

bool is_folder(DWORD a) { return a != no_attributes && (a & FILE_ATTRIBUTE_DIRECTORY); }

// Opened for reading and moving, shared with readers only: while it is open,
// nobody else can write, move or delete it. Folders too.
WinHandle open_held(const std::string& path) {
  return WinHandle(CreateFileA(path.c_str(), DELETE | GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Moves the open file to target through its handle, never over anything.
// Where the system cannot (before Vista, another drive), false with the
// error ERROR_NOT_SAME_DEVICE or ERROR_CALL_NOT_IMPLEMENTED.
bool move_held(HANDLE file, const std::string& target) {
  const SetInformation set = set_information();
  if (!set) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
  }
  const std::wstring name = to_wide(target);
  std::vector<char> buffer(sizeof(RenameInformation) + name.size() * sizeof(WCHAR));
  auto* info = reinterpret_cast<RenameInformation*>(buffer.data());
  info->replace_if_exists = FALSE;
  info->root_directory = nullptr;
  info->name_length = static_cast<DWORD>(name.size() * sizeof(WCHAR));
  std::memcpy(info->name, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
  return set(file, rename_information, info, static_cast<DWORD>(buffer.size()));
}

bool is_empty_folder(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool empty = true;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") empty = false;
  } while (empty && FindNextFileA(find, &data));
  FindClose(find);
  return empty;
}

// Whether the held file is what was saved: an empty folder for no digest,
// otherwise a file with those bytes.
bool is_what_was_saved(HANDLE file, const std::string& path, const std::string& digest) {
  const DWORD a = GetFileAttributesA(path.c_str());
  if (digest.empty()) return is_folder(a) && !(a & FILE_ATTRIBUTE_REPARSE_POINT) && is_empty_folder(path);
  return !is_folder(a) && file_sha256(file) == digest;
}

// Moves from -> to through the held handle, falling back to a move by name
// where the system has no move through a handle (the file is then no longer
// held while it moves).
bool move_from_held(WinHandle& held, const std::string& from, const std::string& to) {
  if (move_held(held.get(), to)) return true;
  const DWORD error = GetLastError();
  if (error != ERROR_NOT_SAME_DEVICE && error != ERROR_CALL_NOT_IMPLEMENTED && error != ERROR_INVALID_PARAMETER) {
    return false;
  }
  held.reset();
  // A move to another drive copies and deletes, and a read-only file is not
  // deleted: the attribute goes for the move, and the caller sets it again.
  const DWORD attributes = GetFileAttributesA(from.c_str());
  if (attributes != no_attributes && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesA(from.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  }
  if (MoveFileA(from.c_str(), to.c_str())) return true;
  const DWORD move_error = GetLastError();
  if (attributes != no_attributes) SetFileAttributesA(from.c_str(), attributes);
  SetLastError(move_error);
  return false;
}

// Puts the held file back on another drive: its bytes go through the held
// handle, which nobody else can change, into a new file, then the saved one
// is deleted through it. A copy that fails leaves nothing behind.
bool copy_back_from_held(WinHandle& held, const std::string& saved, const std::string& to) {
  const DWORD attributes = GetFileAttributesA(saved.c_str());
  if (is_folder(attributes)) {
    held.reset();
    if (!CreateDirectoryA(to.c_str(), nullptr)) return false;
    RemoveDirectoryA(saved.c_str());
    return true;
  }
  WinHandle out(CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) return false;
  std::vector<char> buffer(1 << 20);
  LARGE_INTEGER start{};
  bool ok = SetFilePointerEx(held.get(), start, nullptr, FILE_BEGIN);
  DWORD got = 0;
  while (ok && (ok = ReadFile(held.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) && got) {
    DWORD written = 0;
    ok = WriteFile(out.get(), buffer.data(), got, &written, nullptr) && written == got;
  }
  FILETIME created{}, accessed{}, written_at{};
  if (ok && GetFileTime(held.get(), &created, &accessed, &written_at)) {
    SetFileTime(out.get(), &created, &accessed, &written_at);
  }
  if (!ok) {
    const DWORD error = GetLastError();
    out.reset();
    DeleteFileA(to.c_str());
    SetLastError(error ? error : ERROR_WRITE_FAULT);
    return false;
  }
  out.reset();
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesA(saved.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  }
  BOOL delete_it = TRUE;
  const SetInformation set = set_information();
  if (!set || !set(held.get(), disposition_information, &delete_it, sizeof delete_it)) {
    held.reset();
    DeleteFileA(saved.c_str());
  }
  return true;
}

PutBack put_back_through(WinHandle& held, const SavedItem& item) {
  if (GetFileAttributesA(item.original.c_str()) != no_attributes) return PutBack::place_taken;
  const DWORD attributes = item.attributes ? item.attributes : GetFileAttributesA(item.saved.c_str());
  bool back = move_held(held.get(), item.original);
  if (!back && GetLastError() == ERROR_NOT_SAME_DEVICE) back = copy_back_from_held(held, item.saved, item.original);
  if (!back && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) back = move_from_held(held, item.saved, item.original);
  if (!back) {
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? PutBack::place_taken : PutBack::failed;
  }
  held.reset();
  if (attributes != no_attributes) SetFileAttributesA(item.original.c_str(), attributes);
  return PutBack::done;
}

}  // namespace

bool SavedFiles::save(SavedItem& item, WriteAhead* ahead) {
  WinHandle held = open_held(item.original);
  if (!held) return false;
  if (!is_folder(GetFileAttributesA(item.original.c_str()))) {
    item.digest = digester_.digest(held.get());
    if (item.digest.empty()) {
      SetLastError(ERROR_READ_FAULT);
      return false;
    }
  }
  // Announced before the move: a run stopped right after it still knows
  // where the file went, and what it was.
  const std::string line = run_record::save_line(item);
  if (ahead && !ahead->announce(line)) return false;
  const bool moved = move_from_held(held, item.original, item.saved) &&
                     GetFileAttributesA(item.original.c_str()) == no_attributes;
  if (!moved) {
    const DWORD error = GetLastError();
    if (ahead) ahead->withdraw(line);
    SetLastError(error ? error : ERROR_ACCESS_DENIED);
    return false;
  }
  if (item.attributes) SetFileAttributesA(item.saved.c_str(), item.attributes);
  // Moved by name (another drive): held from now on, once it is what it was.
  if (!held) {
    held = open_held(item.saved);
    if (held && !is_what_was_saved(held.get(), item.saved, item.digest)) held.reset();
  }
  if (held) held_[fold_name_case(item.saved)] = std::move(held);
  return true;
}

PutBack SavedFiles::put_back(const SavedItem& item) {
  const auto found = held_.find(fold_name_case(item.saved));
  if (found == held_.end()) return put_back_saved(item);
  const PutBack result = put_back_through(found->second, item);
  if (result == PutBack::done) held_.erase(found);
  return result;
}

bool SavedFiles::holds(const std::string& path) const { return held_.count(fold_name_case(path)) > 0; }

PutBack put_back_saved(const SavedItem& item) {
  if (GetFileAttributesA(item.saved.c_str()) == no_attributes) return PutBack::gone;
  WinHandle held = open_held(item.saved);
  if (!held) return PutBack::failed;
  if (!is_what_was_saved(held.get(), item.saved, item.digest)) return PutBack::other_bytes;
  return put_back_through(held, item);
}

bool delete_saved(const SavedItem& item) {
  const DWORD a = GetFileAttributesA(item.saved.c_str());
  if (a == no_attributes) return true;
  WinHandle held = open_held(item.saved);
  if (!held || !is_what_was_saved(held.get(), item.saved, item.digest)) return false;
  if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(item.saved.c_str(), a & ~DWORD{FILE_ATTRIBUTE_READONLY});
  // Deleted through the handle that was checked; where the system cannot,
  // by name once it is closed.
  if (const SetInformation set = set_information()) {
    BOOL delete_it = TRUE;
    if (set(held.get(), disposition_information, &delete_it, sizeof delete_it)) {
      held.reset();
      return GetFileAttributesA(item.saved.c_str()) == no_attributes;
    }
  }
  held.reset();
  return is_folder(a) ? RemoveDirectoryA(item.saved.c_str()) : DeleteFileA(item.saved.c_str());
}
