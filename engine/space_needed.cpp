#include "engine/space_needed.h"

#include <limits>

#include "core/name_case.h"

namespace {

// Sizes from the disk and the payload are trusted to add up far below 2^64,
// but a sum never wraps round to look small.
std::uint64_t plus(std::uint64_t a, std::uint64_t b) {
  return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

std::uint64_t minus(std::uint64_t a, std::uint64_t b) { return a > b ? a - b : 0; }

// "C:\" and "c:" are one drive.
std::string volume_key(std::string volume) {
  while (!volume.empty() && volume.back() == '\\') volume.pop_back();
  return fold_name_case(volume);
}

// The own files' lines apart from those per file (the write test, the
// folders, links and the entry, the backup list's run lines) and the last,
// partly used cluster of each: 256 KiB is more than all of that takes.
constexpr std::uint64_t own_files_base = 256 * 1024;
// Per file: "FILE:" and CR LF around its path, once in the journal and
// once in the run's record.
constexpr std::uint64_t file_line_extra = 8;
// Per replaced file: the record's "*SAVE:" line and the backup list's
// "SAVED:" line name it where it was and where it is saved (a path about as
// long), with its attributes and its SHA-256 in 64 digits.
constexpr std::uint64_t save_line_extra = 96;

}  // namespace

std::uint64_t on_disk_size(std::uint64_t size, std::uint64_t cluster_size) {
  if (cluster_size == 0 || size % cluster_size == 0) return size;
  return plus(size - size % cluster_size, cluster_size);
}

std::uint64_t own_files_size(const std::vector<PlannedFile>& files, const SpaceFacts& facts) {
  std::uint64_t bytes = own_files_base;
  for (const PlannedFile& f : files) {
    const std::uint64_t path = facts.install_dir_length + f.name.size();
    bytes = plus(bytes, 2 * (path + file_line_extra));
    if (facts.existing.count(f.name)) bytes = plus(bytes, 2 * (2 * path + save_line_extra));
  }
  return bytes;
}

std::vector<DriveNeed> space_needed(const std::vector<PlannedFile>& files, const SpaceFacts& facts) {
  const bool backup_elsewhere = volume_key(facts.install.volume) != volume_key(facts.backup.volume);
  std::uint64_t written = 0;   // on the installation's drive
  std::uint64_t replaced = 0;  // there now, and moved away when the backup is elsewhere
  std::uint64_t saved = 0;     // the same files on the backup folder's drive
  for (const PlannedFile& f : files) {
    written = plus(written, on_disk_size(f.size, facts.install.cluster_size));
    const auto there = facts.existing.find(f.name);
    if (there == facts.existing.end() || !backup_elsewhere) continue;
    replaced = plus(replaced, on_disk_size(there->second, facts.install.cluster_size));
    saved = plus(saved, on_disk_size(there->second, facts.backup.cluster_size));
  }
  const std::uint64_t own = on_disk_size(own_files_size(files, facts), facts.install.cluster_size);
  std::vector<DriveNeed> drives;
  drives.push_back({facts.install.volume, plus(minus(written, replaced), own), facts.install.free,
                    facts.install.free_error});
  if (saved > 0) drives.push_back({facts.backup.volume, saved, facts.backup.free, facts.backup.free_error});
  return drives;
}

std::optional<DriveNeed> first_short_drive(const std::vector<DriveNeed>& drives) {
  for (const DriveNeed& d : drives) {
    if (!d.fits()) return d;
  }
  return std::nullopt;
}
