#pragma once
// The game's entry in Add/Remove Programs: a key below
// HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall named by
// uninstall_key_name, journaled as "APP:" + the key name so that a rollback
// and the game's uninstaller can remove it.
//
// The shipped program is 32-bit: on 64-bit Windows its writes land in the
// 32-bit registry view (Wow6432Node), which is where the system's list looks
// for the entries of 32-bit programs. The x86_64 test build writes the 64-bit
// view.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "system/shell_registry.h"

struct InstallRun;
class Tdigest;

// The product's [Release]: one version and publisher for both languages,
// empty without one.
struct ProductRelease {
  std::string version;
  std::string publisher;
};

constexpr const char* uninstall_root_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct UninstallEntry {
  std::string display_name;       // product_title
  std::string uninstall_command;  // quoted uninstaller path, a space, launch_args
  std::string quiet_command;      // the same with -G -Q: nothing shown, the exit code alone
  std::string display_icon;       // the game program
  std::string install_location;   // install_dir
  std::uint32_t estimated_size_kib = 0;
  std::string display_version;    // [Release] product_version; empty: none
  std::string publisher;          // [Release] publisher; empty: none
};

// Writes DisplayName and UninstallString (both must succeed: true), then the
// values the system's list also shows (QuietUninstallString, DisplayIcon,
// InstallLocation, EstimatedSize, NoModify, NoRepair, and DisplayVersion and
// Publisher, whose failure changes nothing). An empty version or publisher
// removes the value, so that an earlier installation's does not stay with
// an entry that no longer has one.
bool write_uninstall_key(const ShellRegistry& registry, const std::string& key_name, const UninstallEntry& entry);

// Removes the entry: false, and nothing removed, when DisplayName or
// UninstallString is missing; otherwise the whole key goes.
bool remove_uninstall_key(const ShellRegistry& registry, const std::string& key_name);

// Takes back an entry this installation wrote: removed whole, also one
// written only in part. True when the key is gone (also when it never was).
bool take_back_uninstall_key(const ShellRegistry& registry, const std::string& key_name);

// An entry's values as they were before this run wrote it, so that a rollback
// can put an earlier installation's entry back instead of deleting it.
struct RegistryValue {
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};
struct UninstallKeySnapshot {
  std::string key_name;
  bool existed = false;
  std::vector<RegistryValue> values;
};

// The step at the end of an installation that stays. Nothing with -R. With
// -C the entry is written and "APP:" journaled when it was written; with -c
// nothing is written and "APP:" is journaled all the same, as the uninstaller
// expects. installed_bytes gives EstimatedSize. Nothing is written when the
// run's record cannot announce it. Returns the entry as it was before, when
// this run wrote one, so that the caller can put it back.
std::optional<UninstallKeySnapshot> register_uninstall_entry(InstallRun& run, const ShellRegistry& registry,
                                                             Tdigest& checksum, std::uint64_t installed_bytes,
                                                             const ProductRelease& release);
UninstallKeySnapshot snapshot_uninstall_key(const std::string& key_name);
// Puts the key back as snapshotted: removed when it did not exist, else
// emptied of values and refilled. True when that worked.
bool restore_uninstall_key(const ShellRegistry& registry, const UninstallKeySnapshot& snapshot);
