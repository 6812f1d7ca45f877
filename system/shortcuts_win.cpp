#include "system/shortcuts.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <optional>

#include "core/folders.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/journal.h"
#include "core/progress_sink.h"
#include "engine/overwrite.h"
#include "engine/run_record.h"
#include "system/com_ptr.h"
#include "system/launch_args.h"

namespace {

std::wstring to_wide(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

// The whole file, or nothing when it cannot be read.
std::optional<std::string> read_whole_file(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

// Whether the file at a link's place may be replaced: never a folder, and a
// file only as the overwrite policy allows (without -O a silent run keeps
// it). What is kept is said to the run's log.
bool may_replace_link(InstallerSettings& settings, const std::string& link_file, DWORD attributes) {
  std::string kept;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    kept = "a folder is in its place";
  } else {
    switch (decide_overwrite(settings.overwrite_all, settings.silent)) {
      case OverwriteDecision::replace: return true;
      case OverwriteDecision::refuse: kept = "a file is in its place, and -O was not given"; break;
      case OverwriteDecision::ask:
        if (ask_overwrite(link_file, settings)) return true;
        kept = "a file is in its place, and the user kept it";
        break;
    }
  }
  if (settings.progress) settings.progress->file_finished("shortcut not made: " + link_file + " (" + kept + ")");
  return false;
}

}  // namespace

bool write_shell_link(const std::wstring& link_file, const std::string& target, const std::string& arguments,
                      const std::string& working_dir, const std::string& description, const std::string& icon_file,
                      int icon_index) {
  ComPtr<IShellLinkA> link;
  if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put()) != S_OK) {
    return false;
  }
  // SetPath answers S_FALSE for a target that does not exist: such a link is
  // not made.
  if (link->SetPath(target.c_str()) != S_OK || link->SetArguments(arguments.c_str()) != S_OK ||
      link->SetWorkingDirectory(working_dir.c_str()) != S_OK || link->SetDescription(description.c_str()) != S_OK ||
      link->SetIconLocation(icon_file.c_str(), icon_index) != S_OK) {
    return false;
  }
  ComPtr<IPersistFile> file;
  if (link->QueryInterface(IID_IPersistFile, file.put()) != S_OK) return false;
  return file->Save(link_file.c_str(), FALSE) == S_OK;
}

bool create_shortcut(InstallerSettings& settings, const std::string& folder, const std::string& title,
                     const std::string& target, const std::string& working_dir, const std::string& description) {
  if (folder.empty()) return false;
  const std::string link_file = join_path(folder, title) + ".lnk";
  if (!record_fits(record::file, link_file)) return false;
  force_dirs_journaled(parent_dir(link_file), settings.journal, settings.run_record);
  // Whatever is at the link's place already (a link of an earlier
  // installation, the user's own) is replaced only as a file of the payload
  // would be, and its bytes are kept: in the run's record first, so that
  // undoing a stopped run puts it back, and for the backup list, so that the
  // uninstall does. A new link is announced there.
  std::string announced;
  std::optional<std::string> earlier;
  const DWORD existing = GetFileAttributesA(link_file.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES) {
    if (!may_replace_link(settings, link_file, existing)) return false;
    earlier = read_whole_file(link_file);
    if (!earlier) return false;
    if (settings.run_record && !settings.run_record->announce(run_record::link_was_line(link_file, *earlier))) {
      return false;
    }
  } else {
    announced = std::string(record::file) + link_file;
    if (settings.run_record && !settings.run_record->announce(announced)) return false;
  }
  if (!write_shell_link(to_wide(link_file), target, settings.launch_args, working_dir, description, target, 0)) {
    if (!announced.empty() && settings.run_record && GetFileAttributesA(link_file.c_str()) == INVALID_FILE_ATTRIBUTES) {
      settings.run_record->withdraw(announced);
    }
    return false;
  }
  if (earlier) settings.backup.links_replaced.emplace(link_file, std::move(*earlier));
  add_record(settings.journal, record::file, link_file);
  return true;
}

void create_all_shortcuts(InstallerSettings& s) {
  s.launch_args = build_launch_args(s.language_offset, s.no_data_sharing, s.folders.common_appdata_dir);
  const std::string game = join_path(s.install_dir, s.game_exe_path);
  const std::string uninstaller = join_path(s.install_dir, s.uninstaller_path);
  // The working folder is install_dir as stored, with its trailing "\".
  const std::string& work = s.install_dir;
  if (s.desktop_icon) create_shortcut(s, s.folders.desktop_dir, s.product_title, game, work, s.game_comment);
  if (!s.no_start_menu) {
    create_shortcut(s, s.start_menu_dir, s.product_title, game, work, s.game_comment);
    create_shortcut(s, s.uninstall_menu_dir, s.uninstall_title, uninstaller, work, s.uninstall_comment);
  }
  create_shortcut(s, s.install_dir, s.product_title, game, work, s.game_comment);
  create_shortcut(s, s.install_dir, s.uninstall_title, uninstaller, work, s.uninstall_comment);
}

bool link_leads_into(const std::string& link, const std::string& folder) {
  ComPtr<IShellLinkA> shell_link;
  if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, shell_link.put()) != S_OK) {
    return true;
  }
  ComPtr<IPersistFile> file;
  if (shell_link->QueryInterface(IID_IPersistFile, file.put()) != S_OK) return true;
  if (file->Load(to_wide(link).c_str(), STGM_READ) != S_OK) return true;
  char target[MAX_PATH * 2] = {};
  if (shell_link->GetPath(target, sizeof target, nullptr, SLGP_RAWPATH) != S_OK || target[0] == '\0') return true;
  return is_same_or_below(target, folder);
}
