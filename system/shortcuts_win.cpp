#include "system/shortcuts.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <optional>

#include "core/file_bytes.h"
#include "core/folders.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/journal.h"
#include "core/progress_sink.h"
#include "engine/install_run.h"
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

// A link file is small: anything larger is none of the shell's.
constexpr std::uint64_t link_file_limit = 1u << 20;

// Whether the file at a link's place may be replaced: never a folder, and a
// file only as the overwrite policy allows (without -O a silent run keeps
// it). What is kept is said to the run's log.
bool may_replace_link(InstallRun& run, const std::string& link_file, DWORD attributes) {
  const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
  if (!folder && may_replace(run, link_file)) return true;
  const char* kept = folder                  ? "a folder is in its place"
                     : run.settings.silent   ? "a file is in its place, and -O was not given"
                                             : "a file is in its place, and the user kept it";
  if (run.progress) run.progress->file_finished("shortcut not made: " + link_file + " (" + kept + ")");
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

bool create_shortcut(InstallRun& run, const std::string& folder, const std::string& title, const std::string& target,
                     const std::string& working_dir, const std::string& description) {
  InstallerSettings& s = run.settings;
  if (folder.empty()) return false;
  const std::string link_file = join_path(folder, title) + ".lnk";
  if (!record_fits(record::file, link_file)) return false;
  force_dirs_journaled(parent_dir(link_file), s.journal, run.record);
  // Whatever is at the link's place already (a link of an earlier
  // installation, the user's own) is replaced only as a file of the payload
  // would be, and its bytes are kept: in the run's record first, so that
  // undoing a stopped run puts it back, and for the backup list, so that the
  // uninstall does. A new link is announced there.
  std::string announced;
  std::optional<std::string> earlier;
  const DWORD existing = GetFileAttributesA(link_file.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES) {
    if (!may_replace_link(run, link_file, existing)) return false;
    earlier = read_file_bytes(link_file, link_file_limit);
    if (!earlier) return false;
    if (run.record && !run.record->announce(run_record::link_was_line(link_file, *earlier))) return false;
  } else {
    announced = std::string(record::file) + link_file;
    if (run.record && !run.record->announce(announced)) return false;
  }
  if (!write_shell_link(to_wide(link_file), target, s.launch_args, working_dir, description, target, 0)) {
    if (!announced.empty() && run.record && GetFileAttributesA(link_file.c_str()) == INVALID_FILE_ATTRIBUTES) {
      run.record->withdraw(announced);
    }
    return false;
  }
  if (earlier) run.backup.links_replaced.emplace(link_file, std::move(*earlier));
  add_record(s.journal, record::file, link_file);
  return true;
}

void create_all_shortcuts(InstallRun& run) {
  InstallerSettings& s = run.settings;
  s.launch_args = build_launch_args(s.language_offset, s.no_data_sharing, s.folders.common_appdata_dir);
  const std::string game = join_path(s.install_dir, s.game_exe_path);
  const std::string uninstaller = join_path(s.install_dir, s.uninstaller_path);
  // The working folder is install_dir as stored, with its trailing "\".
  const std::string& work = s.install_dir;
  if (s.desktop_icon) create_shortcut(run, s.folders.desktop_dir, s.product_title, game, work, s.game_comment);
  if (!s.no_start_menu) {
    create_shortcut(run, s.start_menu_dir, s.product_title, game, work, s.game_comment);
    create_shortcut(run, s.uninstall_menu_dir, s.uninstall_title, uninstaller, work, s.uninstall_comment);
  }
  create_shortcut(run, s.install_dir, s.product_title, game, work, s.game_comment);
  create_shortcut(run, s.install_dir, s.uninstall_title, uninstaller, work, s.uninstall_comment);
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
