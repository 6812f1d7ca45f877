#include "system/uninstall_registration.h"

#include <windows.h>

#include "core/paths.h"
#include "core/settings.h"
#include "core/journal.h"
#include "engine/install_run.h"
#include "engine/run_record.h"
#include "system/launch_args.h"
#include "system/uninstall_key.h"

namespace {

std::string sub_key(const std::string& key_name) { return uninstall_root_key + key_name; }

bool set_text(const ShellRegistry& registry, const std::string& key, const char* name, const std::string& text) {
  return registry.shell_set_value(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, text.c_str(),
                                  static_cast<DWORD>(text.size() + 1));
}

bool set_number(const ShellRegistry& registry, const std::string& key, const char* name, DWORD number) {
  return registry.shell_set_value(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_DWORD, &number, sizeof number);
}

class RegKey {
 public:
  explicit RegKey(const std::string& path) {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

bool write_uninstall_key(const ShellRegistry& registry, const std::string& key_name, const UninstallEntry& entry) {
  const std::string key = sub_key(key_name);
  if (!set_text(registry, key, "DisplayName", entry.display_name)) return false;
  if (!set_text(registry, key, "UninstallString", entry.uninstall_command)) return false;
  if (!entry.quiet_command.empty()) set_text(registry, key, "QuietUninstallString", entry.quiet_command);
  set_text(registry, key, "DisplayIcon", entry.display_icon);
  set_text(registry, key, "InstallLocation", entry.install_location);
  set_number(registry, key, "EstimatedSize", entry.estimated_size_kib);
  set_number(registry, key, "NoModify", 1);
  set_number(registry, key, "NoRepair", 1);
  const auto set_or_remove = [&](const char* name, const std::string& text) {
    if (text.empty()) {
      registry.shell_delete_value(HKEY_LOCAL_MACHINE, key.c_str(), name);
    } else {
      set_text(registry, key, name, text);
    }
  };
  set_or_remove("DisplayVersion", entry.display_version);
  set_or_remove("Publisher", entry.publisher);
  return true;
}

bool remove_uninstall_key(const ShellRegistry& registry, const std::string& key_name) {
  const std::string key = sub_key(key_name);
  if (!registry.shell_delete_value(HKEY_LOCAL_MACHINE, key.c_str(), "DisplayName")) return false;
  if (!registry.shell_delete_value(HKEY_LOCAL_MACHINE, key.c_str(), "UninstallString")) return false;
  registry.shell_delete_key(HKEY_LOCAL_MACHINE, key.c_str());
  return true;
}

bool take_back_uninstall_key(const ShellRegistry& registry, const std::string& key_name) {
  if (remove_uninstall_key(registry, key_name)) return true;
  const std::string key = sub_key(key_name);
  if (!RegKey(key).get()) return true;
  return registry.shell_delete_key(HKEY_LOCAL_MACHINE, key.c_str());
}

std::optional<UninstallKeySnapshot> register_uninstall_entry(InstallRun& run, const ShellRegistry& registry,
                                                             Tdigest& checksum, std::uint64_t installed_bytes,
                                                             const ProductRelease& release) {
  InstallerSettings& s = run.settings;
  const std::string key_name = uninstall_key_name(checksum, s.product_folder, s.install_dir);
  if (s.no_registry) return std::nullopt;
  std::optional<UninstallKeySnapshot> written;
  if (s.add_remove_entry) {
    UninstallEntry entry;
    entry.display_name = s.product_title;
    entry.uninstall_command = quote_argument(join_path(s.install_dir, s.uninstaller_path)) + " " + s.launch_args;
    entry.quiet_command = entry.uninstall_command + " -G -Q";
    entry.display_icon = join_path(s.install_dir, s.game_exe_path);
    entry.install_location = s.install_dir;
    const std::uint64_t kib = (installed_bytes + 1023) / 1024;
    entry.estimated_size_kib = static_cast<std::uint32_t>(kib > 0xFFFFFFFFu ? 0xFFFFFFFFu : kib);
    entry.display_version = release.version;
    entry.publisher = release.publisher;
    // An entry of an earlier installation into the same folder is kept in
    // the run's record first, so that undoing a stopped run puts it back.
    UninstallKeySnapshot earlier = snapshot_uninstall_key(key_name);
    if (run.record) {
      bool announced = true;
      if (earlier.existed) {
        announced = run.record->announce(std::string(run_record::app_was) + key_name);
        for (const RegistryValue& v : earlier.values) {
          announced = announced && run.record->announce(run_record::app_value_line(
                                       key_name, v.name, v.type,
                                       std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size())));
        }
      }
      if (!announced || !run.record->announce(std::string(record::app) + key_name)) return std::nullopt;
    }
    // A rollback must not report a registration it could not take back; but
    // an entry written in part is journaled all the same, or nothing would
    // ever remove it.
    const bool whole = write_uninstall_key(registry, key_name, entry);
    if (!whole && !RegKey(sub_key(key_name)).get()) return std::nullopt;
    written = std::move(earlier);
  }
  add_record(s.journal, record::app, key_name);
  return written;
}

UninstallKeySnapshot snapshot_uninstall_key(const std::string& key_name) {
  UninstallKeySnapshot snapshot;
  snapshot.key_name = key_name;
  const RegKey key(sub_key(key_name));
  if (!key.get()) return snapshot;
  snapshot.existed = true;
  for (DWORD index = 0;; ++index) {
    char name[16384];
    DWORD name_size = sizeof name;
    DWORD type = 0;
    DWORD data_size = 0;
    if (RegEnumValueA(key.get(), index, name, &name_size, nullptr, &type, nullptr, &data_size) != ERROR_SUCCESS) {
      break;
    }
    RegistryValue value;
    value.name.assign(name, name_size);
    value.type = type;
    value.data.resize(data_size);
    if (RegQueryValueExA(key.get(), value.name.c_str(), nullptr, &type, value.data.data(), &data_size) !=
        ERROR_SUCCESS) {
      continue;
    }
    value.data.resize(data_size);
    snapshot.values.push_back(std::move(value));
  }
  return snapshot;
}

bool restore_uninstall_key(const ShellRegistry& registry, const UninstallKeySnapshot& snapshot) {
  const std::string key = sub_key(snapshot.key_name);
  registry.shell_delete_key(HKEY_LOCAL_MACHINE, key.c_str());
  if (!snapshot.existed) return !RegKey(key).get();
  if (snapshot.values.empty()) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(created);
    return true;
  }
  bool ok = true;
  for (const RegistryValue& value : snapshot.values) {
    ok = registry.shell_set_value(HKEY_LOCAL_MACHINE, key.c_str(), value.name.c_str(), value.type,
                                  value.data.data(), static_cast<DWORD>(value.data.size())) && ok;
  }
  return ok;
}
