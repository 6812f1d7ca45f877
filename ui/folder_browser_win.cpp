#include "ui/folder_browser.h"

#include <commdlg.h>

#include "core/paths.h"
#include "core/settings.h"
#include "core/win_handle.h"

namespace {

constexpr int browser_template = 7777;
// Deeper start-menu folders are not listed; this also ends a search that
// follows a link back into a folder above it.
constexpr int max_group_depth = 16;

void add_groups(HWND combo, const std::string& folder, const std::string& prefix, int depth) {
  if (depth > max_group_depth) return;
  WIN32_FIND_DATAA found;
  FindHandle search(FindFirstFileA(join_path(folder, "*").c_str(), &found));
  if (!search) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == ".." || !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    std::string relative = join_path_any(prefix, name);
    if (!relative.empty() && (relative[0] == '\\' || relative[0] == '/')) relative.erase(0, 1);
    // Exact match: a group whose name begins another group's name is listed too.
    if (SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(relative.c_str())) ==
        CB_ERR) {
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(relative.c_str()));
    }
    add_groups(combo, join_path(folder, name), relative, depth + 1);
  } while (FindNextFileA(search.get(), &found));
}

}  // namespace

std::string folder_of_answer(const std::string& answer) {
  const auto last = answer.rfind('\\');
  return last == std::string::npos ? std::string() : answer.substr(0, last + 1);
}

std::optional<std::string> browse_for_folder(HWND owner, const std::string& start_folder) {
  char file[1024] = "test";  // a dummy name: the dialog needs one to answer
  OPENFILENAMEA request = {};
  // The classic layout of the request, without the fields Windows 2000 added:
  // 76 bytes in the 32-bit program, which is the one that counts (the 64-bit
  // test build has its own size for the same layout).
  request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  request.hwndOwner = owner;
  request.hInstance = GetModuleHandleA(nullptr);
  request.lpstrFilter = "All\0*.*\0Text\0*.TXT\0";
  request.nFilterIndex = 1;
  request.lpstrFile = file;
  request.nMaxFile = sizeof file;
  request.lpstrInitialDir = start_folder.c_str();
  request.lpstrTitle = "PathSelect";
  request.Flags = OFN_NONETWORKBUTTON | OFN_PATHMUSTEXIST | OFN_ENABLETEMPLATE | OFN_OVERWRITEPROMPT;
  request.lpTemplateName = MAKEINTRESOURCEA(browser_template);
  if (!GetSaveFileNameA(&request)) return std::nullopt;
  const std::string folder = folder_of_answer(file);
  if (folder.empty()) return std::nullopt;
  return folder;
}

void fill_start_menu_groups(HWND dialog, int combo_id, const FolderTable& folders) {
  HWND combo = GetDlgItem(dialog, combo_id);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  SendMessageA(combo, CB_INITSTORAGE, 300, 10000);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
  add_groups(combo, folders.common_start_menu_dir, "", 0);
  add_groups(combo, folders.user_start_menu_dir, "", 0);

  // The programs folder's own name, such as "Programs".
  const std::string& programs = folders.programs_dir;
  const std::string parent = parent_dir(programs);
  const std::string own_name = parent.empty() ? programs : programs.substr(parent.size() + 1);
  SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(own_name.c_str()));
}
