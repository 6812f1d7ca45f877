#include "system/path_checks.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "core/folders.h"
#include "core/new_file.h"
#include "core/paths.h"
#include "core/protected_folders.h"
#include "core/settings.h"
#include "core/short_string.h"
#include "core/journal.h"
#include "engine/run_record.h"
#include "system/shell_registry.h"

namespace {

constexpr const char* session_manager_key = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* pending_value = "PendingFileRenameOperations";

// Removes the folders whose "DIR:" records follow the first `keep` records,
// deepest first, and leaves the journal with those first records only.
void drop_records_after(Tstring_writer& journal, std::size_t keep) {
  const std::vector<std::string> records = read_records(journal);
  for (std::size_t i = records.size(); i-- > keep;) {
    if (has_prefix(records[i], record::dir)) RemoveDirectoryA(records[i].substr(record::dir.size()).c_str());
  }
  journal.init();
  for (std::size_t i = 0; i < keep && i < records.size(); ++i) journal.add(records[i]);
}

bool exists(std::string path) {
  strip_trailing_backslash(path);
  return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool has_pending_rename(const ShellRegistry& registry, const std::string& path) {
  std::string folder = path;
  strip_trailing_backslash(folder);
  if (folder.empty()) return false;  // nothing to look for: the value is not read
  DWORD type = 0;
  DWORD size = 0;
  registry.shell_get_value(HKEY_LOCAL_MACHINE, session_manager_key, pending_value, &type, nullptr, &size);
  if (size == 0) return false;
  // One byte more than the value, zero, so the data always ends in a zero
  // byte without overwriting its last one.
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size) + 1, 0);
  if (!registry.shell_get_value(HKEY_LOCAL_MACHINE, session_manager_key, pending_value, &type, data.data(), &size)) {
    return false;  // gone, or grown since the size was asked
  }
  return pending_operations_mention(data.data(), size, folder);
}

bool probe_write(Tstring_writer& journal, const std::string& folder, RunRecordSink* record) {
  const std::size_t before = read_records(journal).size();
  // The probe is the first step that changes anything: the run's record
  // starts here, before the first folder is made.
  const bool began = record && !record->is_open();
  if (began && !record->begin(folder)) return false;
  // Folders are journaled without a trailing "\", as extraction journals them.
  std::string bare = folder;
  strip_trailing_backslash(bare);
  force_dirs_journaled(bare, journal, record);
  for (int attempt = 0; attempt < probe_name_attempts; ++attempt) {
    const std::string name = folder + probe_name(attempt);
    if (!fits_short(name)) break;
    WinHandle file = create_new_file(name, GENERIC_WRITE, record);
    if (!file) {
      // Only a name that is taken is worth another try.
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      break;
    }
    file.reset();
    if (DeleteFileA(name.c_str()) && record) record->withdraw(std::string(record::file) + name);
    journal.add(name);
    return true;
  }
  SetLastError(ERROR_SUCCESS);
  drop_records_after(journal, before);
  if (began) record->discard();
  return false;
}

ExistingInstallation existing_installation(const InstallerSettings& s) {
  if (!exists(s.uninstall_menu_dir)) return ExistingInstallation::none;
  return exists(s.install_dir) ? ExistingInstallation::both : ExistingInstallation::start_menu_only;
}

bool backup_folder_apart(const InstallerSettings& s) {
  if (s.backup_base_dir.empty()) return true;
  const std::string backup = full_path(s.backup_base_dir);
  const std::string install = full_path(s.install_dir);
  return !is_same_or_below(backup, install) && !is_same_or_below(install, backup);
}

bool install_dir_usable(InstallerSettings& s, std::string_view folder_name, RunRecordSink* record) {
  return install_paths_fit(s, folder_name) && probe_write(s.journal, s.install_dir, record);
}

bool paths_usable(InstallerSettings& s, const ShellRegistry& registry, RunRecordSink* record) {
  if (!install_paths_fit(s, s.product_folder)) return false;
  for (const std::string* folder : {&s.install_dir, &s.start_menu_dir, &s.uninstall_menu_dir}) {
    if (has_pending_rename(registry, *folder)) return false;
  }
  return probe_write(s.journal, s.install_dir, record);
}
