#pragma once
// Asks the system what engine/space_needed.h counts with: which drive the
// installation folder and the backup folder are on, their cluster sizes and
// free space, and the size of every file already where a planned file goes.
// Reads only; folders that do not exist yet are measured on the drive of the
// nearest folder above them that does.

#include <string>
#include <vector>

#include "engine/space_needed.h"

// install_dir ends with "\"; backup_folder is the folder "-p" names, or the
// temporary folder the backup folder would be made in.
SpaceFacts survey_space(const std::vector<PlannedFile>& files, const std::string& install_dir,
                        const std::string& backup_folder);

// The drive a folder is on, with its cluster size and free space.
DriveFacts drive_of(const std::string& folder);
