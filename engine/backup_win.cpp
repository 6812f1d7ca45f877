#include "engine/backup.h"

#include <windows.h>

#include "core/folders.h"
#include "core/paths.h"
#include "core/settings.h"
#include "engine/install_run.h"
#include "core/short_string.h"
#include "engine/backup_name.h"
#include "core/journal.h"
#include "engine/run_record.h"
#include "engine/saved_files.h"
#include "engine/temp_folder.h"

namespace {

bool is_folder(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Makes the folder and its missing parents, announced ahead and kept in the
// backup state, so that clean-up and rollback remove exactly those.
void make_folders(const std::string& folder, InstallRun& run) {
  Tstring_writer made;
  force_dirs_journaled(folder, made, run.record);
  for (const std::string& r : read_records(made)) run.backup.created_dirs.push_back(r.substr(record::dir.size()));
}

// The backup folder is named in the run's record before any folder is made
// for it, so that a run stopped in between is known to have made them for
// its saved files.
bool announce(InstallRun& run, const std::string& folder) {
  return !run.record || run.record->announce(std::string(run_record::backup) + folder);
}

bool use_preset_folder(InstallRun& run) {
  InstallerSettings& s = run.settings;
  // Saved files must land in the folder given, never in a cut one.
  if (!fits_short(s.backup_base_dir) || !announce(run, s.backup_base_dir)) return false;
  make_folders(s.backup_base_dir, run);
  if (!is_folder(s.backup_base_dir)) return false;
  s.backup_dir = s.backup_base_dir;
  return true;
}

// Creates a folder of a freshly drawn name below base; a name already taken
// is drawn again, so two runs never put their saved files in one folder.
bool make_fresh_folder(InstallRun& run, const std::string& base, std::uint32_t seed) {
  if (base.empty()) return false;
  BackupNameGenerator names(seed);
  for (int attempt = 0; attempt < backup_folder_attempts; ++attempt) {
    const std::string candidate = join_path(base, names.next_name());
    if (!fits_short(candidate) || !announce(run, candidate)) return false;
    if (attempt == 0) make_folders(base, run);
    Tstring_writer made;
    if (make_dir_journaled(candidate, made, run.record)) {
      run.settings.backup_dir = candidate;
      run.backup.created_dirs.push_back(candidate);
      return true;
    }
    if (!is_folder(candidate)) return false;
  }
  return false;
}

}  // namespace

bool make_backup_folder(InstallRun& run) { return make_backup_folder(run, GetTickCount()); }

bool make_backup_folder(InstallRun& run, std::uint32_t seed) {
  if (!run.settings.backup_base_dir.empty()) return use_preset_folder(run);
  return make_fresh_folder(run, temp_folder(run.settings.folders), seed);
}

bool backup_file(const std::string& destination, const std::string& name, InstallRun& run) {
  InstallerSettings& s = run.settings;
  if (s.backup_dir.empty()) make_backup_folder(run);
  const std::string source = join_path(destination, name);
  const std::string target = join_path(s.backup_dir, name);
  const DWORD attributes = GetFileAttributesA(source.c_str());
  // Only into a free place: what is at the target already (in a folder
  // given with -p) is not this run's to restore or delete later.
  if (s.backup_dir.empty() || !fits_short(source) || !fits_short(target) ||
      attributes == INVALID_FILE_ATTRIBUTES || GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    ++s.backups.not_saved;
    return false;
  }

  make_folders(parent_dir(target), run);
  SavedItem item{source, target, attributes, {}};
  // Moved through a handle held shut until the run ends, its digest taken
  // and the move announced first (engine/saved_files.h). A backup folder
  // that is the installation folder (-p) would make the target the source
  // itself: saved means gone from here.
  SavedFiles own;
  SavedFiles& held = run.saved_files ? *run.saved_files : own;
  if (held.save(item, run.record)) {
    ++s.backups.saved;
    run.backup.items.push_back(item);
    return true;
  }
  ++s.backups.not_saved;
  return false;
}
