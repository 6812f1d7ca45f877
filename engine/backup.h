#pragma once
// The backup of replaced files: before extraction replaces an existing file or
// folder, it is moved into this run's backup folder under the same relative
// path, so that a rollback can put it back. The folder is made only when the
// first file has to be saved. Every folder made for it and every move is
// announced to the run's write-ahead record first, and the folders are kept
// in the run's backup state, so that clean-up and rollback remove exactly
// those.

#include <cstdint>
#include <string>

struct InstallRun;

// How often a new name is drawn when the drawn backup folder already exists.
constexpr int backup_folder_attempts = 64;

// Sets the settings' backup_dir and creates the folder. With backup_base_dir (-p)
// that folder is used as given, created with its parents when missing.
// Otherwise a fresh folder "Installer_XXXXXXXX" is made below %TEMP% (or the
// documents folder's "temp" when TEMP is empty); a name that exists already
// belongs to another run or is a left-over and is never shared. False, and
// backup_dir left empty, when no folder could be made.
bool make_backup_folder(InstallRun& run);
// The same with the name generator seeded by seed instead of the tick count.
bool make_backup_folder(InstallRun& run, std::uint32_t seed);

// Moves destination\name into the backup folder as backup_dir\name, making
// the folder first if this run has none yet, and only into a free place. The
// saved file keeps its attributes, read-only included. Counts the outcome as
// saved or not saved and returns whether the move succeeded.
bool backup_file(const std::string& destination, const std::string& name, InstallRun& run);
