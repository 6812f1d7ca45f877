#pragma once
// File extraction: turns the payload's entries into folders and files below
// the installation folder, journaling each folder and file it creates, and
// optionally reads every file back to compare it with the maker's checksum.
//
// The run sequence calls it only for a payload whose checksums matched and
// whose plan (engine/install_plan.h) found every entry installable. The
// result is a count: 0 is success, anything above 0 a failed installation
// (the run sequence then offers the rollback).

#include <cstdint>
#include <string>
#include <vector>

#include "payload/fileset.h"
#include "payload/fileset_sums.h"
#include "payload/payload_layout.h"
#include "payload/payload_source.h"

struct InstallRun;

// Walks the entries in stored order into install_dir (ends with "\"). A file
// entry counts one failure when it cannot be created or written whole, when
// its name would leave the folder or its path or record would be longer than
// 255 characters (the walk then goes on), and, with verify, when the bytes
// read back through the handle that wrote them do not have the checksum the
// maker packed. An existing file or folder in the way that may not be replaced
// or cannot be moved into the backup folder counts one failure and ends the
// walk; so does a folder in the way that holds anything, which is never
// replaced. Every folder and file is announced to the run's record before it
// is made. Folder entries are created with their missing parents; one whose name
// would leave the folder counts a failure, one whose path would be too long
// is skipped (its files then fail).
// A change the run's record cannot announce is not made: the walk ends
// there. written, when given, gets the index of every file entry written
// whole (and, with verify, read back as packed).
// A file entry whose bytes the source cannot give checked (a volume missing,
// cut short or damaged) counts one failure and ends the walk; the source's
// problem() then says which volume and why.
std::int32_t install_payload(const PayloadLayout& layout, PayloadSource& source, const std::string& install_dir,
                             bool verify, InstallRun& run, std::vector<std::int32_t>* written = nullptr);

// install_payload for a container checked whole (tests, and the single form).
std::int32_t install_fileset(const FilesetView& fileset, const FilesetSums& sums, const std::string& install_dir,
                             bool verify, InstallRun& run, std::vector<std::int32_t>* written = nullptr);
