// The free-space check of setup.exe (setup/setup_sequence.h): before the
// write test, what the payload needs of each drive against what is free.
#include "core/size_text.h"
#include "engine/space_survey.h"
#include "engine/temp_folder.h"
#include "setup/setup_sequence.h"

namespace {

// The payload's files as the count takes them: names and sizes.
std::vector<PlannedFile> planned_files(const PayloadLayout& layout) {
  std::vector<PlannedFile> files;
  for (const PayloadEntry& entry : layout.entries) {
    if (entry.kind == EntryKind::file) files.push_back({entry.name, entry.size});
  }
  return files;
}

std::string figure(std::uint64_t bytes) { return size_text(bytes, false) + " (" + std::to_string(bytes) + " bytes)"; }

}  // namespace

// The drive that cannot take the installation, or nothing. Each drive's
// figures go into the log; one whose free space cannot be read is not
// refused.
std::optional<DriveNeed> SetupSequence::drive_too_small() {
  if (hooks_.no_space_check) return std::nullopt;
  if (planned_files_.empty()) planned_files_ = planned_files(layout_);
  // Replaced files go to the folder -p names, or to a new one in the
  // temporary folder.
  const std::string backup = s_.backup_base_dir.empty() ? temp_folder(s_.folders) : s_.backup_base_dir;
  const std::vector<DriveNeed> drives = space_needed(planned_files_, survey_space(planned_files_, s_.install_dir, backup));
  for (const DriveNeed& d : drives) {
    std::string line = "check free space: drive " + d.volume + " needs " + figure(d.needed);
    if (!d.free) {
      line += "; its free space cannot be read (error " + std::to_string(d.free_error) + "), so it is not refused";
    } else {
      line += ", " + figure(*d.free) + " free" + (d.fits() ? "" : ": not enough");
    }
    shell_.log().line(line);
  }
  return first_short_drive(drives);
}
