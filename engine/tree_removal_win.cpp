#include "engine/tree_removal.h"

#include <windows.h>

#include "core/paths.h"
#include "core/win_handle.h"

namespace {

bool is_link(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
bool is_folder(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// A link to a folder is removed as a folder entry, a link to a file as a file;
// neither touches what the link leads to.
bool remove_link(const std::string& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesA(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  const BOOL ok = is_folder(attributes) ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
  return ok || is_gone_error(GetLastError());
}

bool delete_file(const std::string& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesA(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  return DeleteFileA(path.c_str()) || is_gone_error(GetLastError());
}

// Walks the folder's entries; files are deleted only when delete_files is set.
bool remove_tree(const std::string& folder, bool delete_files) {
  if (folder.empty()) return true;
  const DWORD own = GetFileAttributesA(folder.c_str());
  if (own == INVALID_FILE_ATTRIBUTES) return is_gone_error(GetLastError());
  if (is_link(own)) return remove_link(folder, own);
  if (!is_folder(own)) return false;

  WIN32_FIND_DATAA data;
  {
    FindHandle find(FindFirstFileA(join_path(folder, "*").c_str(), &data));
    if (find) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string child = join_path(folder, name);
        if (is_link(data.dwFileAttributes)) {
          remove_link(child, data.dwFileAttributes);
        } else if (is_folder(data.dwFileAttributes)) {
          remove_tree(child, delete_files);
        } else if (delete_files) {
          delete_file(child, data.dwFileAttributes);
        }
      } while (FindNextFileA(find.get(), &data));
    }
  }
  return remove_folder(folder);
}

}  // namespace

bool is_gone_error(unsigned long error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool remove_folder(const std::string& folder) {
  if (folder.empty()) return true;
  return RemoveDirectoryA(folder.c_str()) || is_gone_error(GetLastError());
}

bool remove_empty_tree(const std::string& folder) { return remove_tree(folder, false); }

bool delete_tree(const std::string& folder) { return remove_tree(folder, true); }

bool delete_file_or_empty_folder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return is_gone_error(GetLastError());
  if (is_link(attributes)) return remove_link(path, attributes);
  if (is_folder(attributes)) return remove_folder(path);
  return delete_file(path, attributes);
}
