#include "engine/space_survey.h"

#include <windows.h>

#include "core/paths.h"

namespace {

bool is_folder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder itself or the nearest one above it that exists; empty when
// none does.
std::string nearest_existing(std::string folder) {
  strip_trailing_backslash(folder);
  while (!folder.empty() && !is_folder(folder + "\\")) folder = parent_dir(folder);
  return folder.empty() ? folder : folder + "\\";
}

// The volume's root as the system names it ("C:\", or the folder another
// volume is mounted on); else the root of the path's drive.
std::string volume_of(const std::string& folder) {
  const std::string existing = nearest_existing(folder);
  char volume[MAX_PATH + 1] = {};
  if (!existing.empty() && GetVolumePathNameA(existing.c_str(), volume, sizeof volume)) return volume;
  return folder.size() >= 3 && folder[1] == ':' ? folder.substr(0, 3) : folder;
}

}  // namespace

DriveFacts drive_of(const std::string& folder) {
  DriveFacts drive;
  drive.volume = volume_of(folder);
  ULARGE_INTEGER available{};
  if (GetDiskFreeSpaceExA(drive.volume.c_str(), &available, nullptr, nullptr)) {
    drive.free = available.QuadPart;
  } else {
    drive.free_error = GetLastError();
  }
  DWORD sectors_per_cluster = 0, bytes_per_sector = 0, free_clusters = 0, clusters = 0;
  if (GetDiskFreeSpaceA(drive.volume.c_str(), &sectors_per_cluster, &bytes_per_sector, &free_clusters, &clusters)) {
    drive.cluster_size = std::uint64_t{sectors_per_cluster} * bytes_per_sector;
  }
  return drive;
}

SpaceFacts survey_space(const std::vector<PlannedFile>& files, const std::string& install_dir,
                        const std::string& backup_folder) {
  SpaceFacts facts;
  facts.install = drive_of(install_dir);
  // Without a temporary folder no file can be saved anywhere (replacing one
  // fails), so no other drive is asked.
  facts.backup = backup_folder.empty() ? facts.install : drive_of(backup_folder);
  facts.install_dir_length = install_dir.size();
  // A new installation folder holds nothing yet: no file to look at.
  if (!is_folder(install_dir)) return facts;
  for (const PlannedFile& f : files) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(join_path(install_dir, f.name).c_str(), GetFileExInfoStandard, &data)) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    facts.existing[f.name] = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  }
  return facts;
}
