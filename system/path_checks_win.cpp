#include "system/path_checks.h"

#include <windows.h>

#include <vector>

#include "core/paths.h"
#include "core/settings.h"
#include "system/shell_registry.h"

namespace {

constexpr const char* session_manager_key = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* pending_value = "PendingFileRenameOperations";

bool exists(std::string path) {
  strip_trailing_backslash(path);
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool has_pending_rename(const ShellRegistry& registry, const std::string& folder) {
  DWORD type = 0;
  DWORD size = 0;
  registry.shell_get_value(HKEY_LOCAL_MACHINE, session_manager_key, pending_value, &type, nullptr, &size);
  if (size == 0) return false;
  std::vector<char> data(size);
  // A value that grew since the size was asked fails to read: no operations.
  if (!registry.shell_get_value(HKEY_LOCAL_MACHINE, session_manager_key, pending_value, &type, data.data(), &size))
    return false;
  return pending_data_names(std::string_view(data.data(), size), folder);
}

ExistingInstallation existing_installation(const InstallerSettings& s) {
  if (!exists(s.uninstall_menu_dir)) return ExistingInstallation::none;
  return exists(s.install_dir) ? ExistingInstallation::both : ExistingInstallation::start_menu_only;
}

bool install_dir_usable(const InstallerSettings& s, std::string_view folder_name) {
  return install_paths_fit(s, folder_name);
}
