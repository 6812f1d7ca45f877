#include "system/special_folders.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "core/settings.h"
#include "core/environment.h"
#include "core/entry_point_win.h"

// The shell's functions, looked up by name, each through a pointer type
// named after its initials as the original program named them.
using TIUAA = BOOL(WINAPI*)();                                               // IsUserAnAdmin
using TSHGSFP = BOOL(WINAPI*)(HWND owner, LPSTR path, int csidl, BOOL create);  // SHGetSpecialFolderPathA

namespace {

// shell32.dll, loaded only while discovery runs.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(const char* name) : h_(LoadLibraryA(name)) {}
  ~LoadedLibrary() {
    if (h_) FreeLibrary(h_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  HMODULE get() const { return h_; }

 private:
  HMODULE h_;
};


std::optional<std::string> special_folder_path(TSHGSFP get_path, int id) {
  char buffer[MAX_PATH + 1] = {};
  if (!get_path(nullptr, buffer, id, FALSE)) return std::nullopt;
  // The extra zero keeps the read inside the buffer even if the shell filled
  // all MAX_PATH characters.
  return std::string(buffer, strnlen(buffer, MAX_PATH));
}

}  // namespace

void discover_special_folders(InstallerSettings& settings) {
  // Released when discovery is done; the source's functions die before it.
  const LoadedLibrary shell("shell32.dll");
  ShellFolderSource source;
  source.windir = environment_value("WINDIR");
  if (auto is_admin = find_entry_point<TIUAA>(shell.get(), "IsUserAnAdmin"))
    source.is_user_an_admin = [is_admin] { return static_cast<int>(is_admin()); };
  if (auto get_path = find_entry_point<TSHGSFP>(shell.get(), "SHGetSpecialFolderPathA"))
    source.special_folder_path = [get_path](int id) { return special_folder_path(get_path, id); };

  discover_special_folders(settings, source);
}

FolderTable discover_folder_table(bool& failed) {
  InstallerSettings discovered;
  discover_special_folders(discovered);
  failed = discovered.folder_discovery_failed;
  return discovered.folders;
}

std::vector<std::string> other_shell_folders() {
  // Start-up, send-to, templates, favourites, recent, music, pictures,
  // videos, fonts, the profile, local data, the system and program folders
  // of both views, the all-users desktop, documents, tools and templates.
  static constexpr int ids[] = {0x06, 0x07, 0x08, 0x09, 0x0D, 0x0E, 0x10, 0x13, 0x14, 0x15, 0x18, 0x19, 0x1C, 0x1F,
                                0x20, 0x21, 0x22, 0x25, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x30,
                                0x35, 0x36, 0x37};
  std::vector<std::string> folders;
  const LoadedLibrary shell("shell32.dll");
  const auto get_path = find_entry_point<TSHGSFP>(shell.get(), "SHGetSpecialFolderPathA");
  if (!get_path) return folders;
  for (const int id : ids) {
    if (auto path = special_folder_path(get_path, id); path && !path->empty()) folders.push_back(*path);
  }
  return folders;
}
