#pragma once
// What an installation needs of each drive it writes to, worked out before
// anything is written. The figures come from the payload's file sizes and
// what lies on the disks now, which engine/space_survey.h asks the system
// for; this part only counts, so the host tests cover it.
//
// A file takes whole clusters of its drive, so every size is rounded up to
// the drive's cluster size: with thousands of small files that is what
// decides. A file the installation replaces is moved into the backup folder:
// on the same drive that frees nothing, on another drive it frees its
// clusters here and takes as many there.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A file the installation writes: its name below the installation folder
// and its size in bytes.
struct PlannedFile {
  std::string name;
  std::uint64_t size = 0;
};

// A drive (volume) as the system describes it.
struct DriveFacts {
  std::string volume;                  // its root, "C:\" or a mounted folder; letter case does not count
  std::uint64_t cluster_size = 0;      // bytes of one cluster; 0 when unknown: sizes count as they are
  std::optional<std::uint64_t> free;   // bytes this user may still write; none when they cannot be read
  std::uint32_t free_error = 0;        // the system's error when they cannot
};

struct SpaceFacts {
  DriveFacts install;  // the drive of the installation folder
  DriveFacts backup;   // the drive of the folder replaced files are moved to
  // The size of each file that is already where a planned file goes, by the
  // planned file's name.
  std::map<std::string, std::uint64_t> existing;
  // The installation folder's length: the journal and the run's record name
  // every file by its full path.
  std::size_t install_dir_length = 0;
};

// What a drive needs and what it has.
struct DriveNeed {
  std::string volume;
  std::uint64_t needed = 0;
  std::optional<std::uint64_t> free;  // none: unknown, and then never refused
  std::uint32_t free_error = 0;
  bool fits() const { return !free || needed <= *free; }
};

// size in whole clusters.
std::uint64_t on_disk_size(std::uint64_t size, std::uint64_t cluster_size);

// The installation's own files on its drive (the journal, the backup list
// and the run's record), whose lines grow with the files.
std::uint64_t own_files_size(const std::vector<PlannedFile>& files, const SpaceFacts& facts);

// The installation's drive first, then the backup folder's when that is
// another drive and gets anything.
std::vector<DriveNeed> space_needed(const std::vector<PlannedFile>& files, const SpaceFacts& facts);

// The first drive the installation does not fit on.
std::optional<DriveNeed> first_short_drive(const std::vector<DriveNeed>& drives);
