// Installations reach outside their own folder: the start menus, the desktop,
// the Add/Remove Programs list and the temporary folder of the prefix all
// tests share. Each test
// starts and ends with those places clean, so that one test's shortcuts or
// entry never show up as an "existing installation" in the next.

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "system/uninstall_registration.h"
#include "tests/e2e/install_check.h"
#include "tests/support/registry_view.h"
#include "tests/support/win_fs.h"

namespace {

std::string special_folder(int csidl) {
  char path[MAX_PATH] = {};
  return SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK ? path : "";
}

std::vector<std::string> product_keys() {
  std::vector<std::string> keys;
  HKEY root = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, uninstall_root_key, 0, KEY_READ | program_registry_view(), &root) !=
      ERROR_SUCCESS) {
    return keys;
  }
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(root, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (std::string(name).rfind(std::string(product_folder) + "__at__", 0) == 0) keys.push_back(name);
  }
  RegCloseKey(root);
  return keys;
}

// The product's folders anywhere in a start menu (below "Programs", in a
// group such as "Games", ...), a few levels deep.
void remove_product_folders(const std::string& folder, int depth) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> subfolders;
  do {
    const std::string name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") subfolders.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  for (const std::string& name : subfolders) {
    if (name == product_folder) {
      remove_tree(folder + "\\" + name);
    } else if (depth > 0) {
      remove_product_folders(folder + "\\" + name, depth - 1);
    }
  }
}

void clean_shared_places() {
  for (int csidl : {CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU}) {
    const std::string menu = special_folder(csidl);
    if (!menu.empty()) remove_product_folders(menu, 2);
  }
  const std::string desktop = special_folder(CSIDL_DESKTOPDIRECTORY);
  if (!desktop.empty()) DeleteFileA((desktop + "\\Quasarine II.lnk").c_str());
  for (const std::string& key : product_keys()) {
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(uninstall_root_key) + key).c_str());
  }
  // Records of runs that a test left unfinished on purpose, into the default
  // folder (the others lie in the tests' own folders).
  for (const std::string& record : unfinished_records(special_folder(CSIDL_PROGRAM_FILES))) {
    DeleteFileA(record.c_str());
  }
}

class SharedPlaces : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { clean_shared_places(); }
  void OnTestEnd(const testing::TestInfo&) override { clean_shared_places(); }
};

const bool registered = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new SharedPlaces);
  return true;
}();

}  // namespace
