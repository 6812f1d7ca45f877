#include "engine/backup.h"

#include <windows.h>

#include "core/folders.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/short_string.h"
#include "engine/backup_name.h"
#include "engine/journal.h"
#include "engine/run_record.h"

namespace {

std::string environment_variable(const char* name) {
  const DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);  // with the terminator
  if (needed == 0) return {};
  std::string value(needed, '\0');
  const DWORD n = GetEnvironmentVariableA(name, &value[0], needed);
  if (n == 0 || n >= needed) return {};
  value.resize(n);
  return value;
}

bool is_folder(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool use_preset_folder(InstallerSettings& settings) {
  // Saved files must land in the folder given, never in a cut one.
  if (!fits_short(settings.backup_base_dir)) return false;
  settings.backup.folder_created = force_dirs(settings.backup_base_dir);
  if (!is_folder(settings.backup_base_dir)) return false;
  settings.backup_dir = settings.backup_base_dir;
  return true;
}

// Creates a folder of a freshly drawn name below base; a name already taken
// is drawn again, so two runs never put their saved files in one folder.
bool make_fresh_folder(InstallerSettings& settings, const std::string& base, std::uint32_t seed) {
  force_dirs(base);
  BackupNameGenerator names(seed);
  for (int attempt = 0; attempt < backup_folder_attempts; ++attempt) {
    const std::string candidate = join_path(base, names.next_name());
    if (!fits_short(candidate)) return false;
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      settings.backup_dir = candidate;
      settings.backup.folder_created = true;
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

}  // namespace

bool make_backup_folder(InstallerSettings& settings) { return make_backup_folder(settings, GetTickCount()); }

namespace {

bool choose_backup_folder(InstallerSettings& settings, std::uint32_t seed) {
  if (!settings.backup_base_dir.empty()) return use_preset_folder(settings);
  std::string base = environment_variable("TEMP");
  if (base.empty()) base = join_path(settings.folders.documents_dir, "temp");
  return make_fresh_folder(settings, base, seed);
}

// The folders made below the backup folder for target, recorded so that
// clean-up and rollback remove exactly those.
void make_target_folder(const std::string& target, InstallerSettings& settings) {
  Tstring_writer made;
  force_dirs_journaled(parent_dir(target), made);
  for (const std::string& r : read_records(made)) {
    const std::string folder = r.substr(record::dir.size());
    settings.backup.created_dirs.push_back(folder);
    if (settings.run_record) settings.run_record->write_line(std::string(run_record::backup_subdir) + folder);
  }
}

}  // namespace

bool make_backup_folder(InstallerSettings& settings, std::uint32_t seed) {
  if (!choose_backup_folder(settings, seed)) return false;
  if (settings.run_record) {
    const std::string_view kind = settings.backup.folder_created ? run_record::backup_made : run_record::backup_used;
    settings.run_record->write_line(std::string(kind) + settings.backup_dir);
    settings.run_record->checkpoint();
  }
  return true;
}

bool backup_file(const std::string& destination, const std::string& name, InstallerSettings& settings) {
  if (settings.backup_dir.empty()) make_backup_folder(settings);
  const std::string source = join_path(destination, name);
  const std::string target = join_path(settings.backup_dir, name);
  const DWORD attributes = GetFileAttributesA(source.c_str());
  if (settings.backup_dir.empty() || !fits_short(source) || !fits_short(target) ||
      attributes == INVALID_FILE_ATTRIBUTES) {
    ++settings.backups.not_saved;
    return false;
  }

  make_target_folder(target, settings);
  const SavedItem item{source, target};
  // Recorded before the move: a run stopped right after it still knows where
  // the file went.
  if (settings.run_record) settings.run_record->write_line(run_record::save_line(item));
  SetFileAttributesA(source.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  // A backup folder that is the installation folder (-p) makes the target
  // the source itself: that move "succeeds" and the file stays, and writing
  // the new one would then destroy the only copy. Saved means gone from here.
  const bool moved =
      MoveFileA(source.c_str(), target.c_str()) && GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES;
  if (moved) {
    SetFileAttributesA(target.c_str(), attributes);
    ++settings.backups.saved;
    settings.backup.items.push_back(item);
    return true;
  }
  SetFileAttributesA(source.c_str(), attributes);
  ++settings.backups.not_saved;
  return false;
}
