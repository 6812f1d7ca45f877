#pragma once
// File extraction: turns the payload's entries into folders and files below
// the installation folder, journaling each folder and file it creates, and
// optionally compares every installed file with the payload afterwards.
//
// Results are counts: 0 is success, anything above 0 a failed installation
// (the run sequence then offers the rollback).

#include <cstdint>
#include <string>

#include "payload/fileset.h"

struct InstallerSettings;

// Extracts the file set into install_dir (ends with "\"), then, when verify is
// set and extraction reported no failure, returns the verification's mismatch
// count instead.
std::int32_t install_fileset(const FilesetView& fileset, const std::string& install_dir, bool verify,
                             InstallerSettings& settings);

// Walks the entries in stored order. A file entry counts one failure when it
// cannot be created or written whole, when its name would leave the folder
// (absolute, a drive, "..") or when its path or its "FILE:" record would be
// longer than 255 characters; the walk then goes on. An existing file that
// may not be replaced or cannot be moved into the backup folder counts one
// failure and ends the walk. Folder entries are created with their missing
// parents; one whose name would leave the folder counts a failure, one whose
// path would be too long is skipped (its files then fail).
std::int32_t extract_fileset(const FilesetView& fileset, const std::string& destination,
                             InstallerSettings& settings);

// The number of file entries whose installed file is missing or differs in
// length or contents (entries extraction would refuse count as differing).
std::int32_t verify_fileset(const FilesetView& fileset, const std::string& destination);

// True when the file at path has exactly size bytes, equal to expected.
bool verify_file(const std::string& path, std::int32_t size, const std::uint8_t* expected);

// Called before each file's contents are written; tells the settings'
// progress sink, when the run has one, how far the payload's data got.
void progress_hook(InstallerSettings& settings, std::int32_t index, std::int32_t count, std::int32_t size,
                   const std::string& destination, const std::string& name, std::int32_t data_length,
                   std::uint32_t offset);
