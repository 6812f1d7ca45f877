#pragma once
// Collects what the packer puts into a container from a folder tree: every
// folder (empty ones too) and every regular file below the root, with its name
// as setup.exe will see it. Anything Windows could not hold under the
// installation folder is refused here, before a byte is packed, and so is a
// symbolic link that leads outside the root; links inside it are taken for
// what they lead to.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "payload/fileset_writer.h"

struct ScannedEntry {
  std::string name;               // relative, "\"-separated, Windows-1252
  std::filesystem::path source;   // the file or folder on disk
  bool folder = false;
  std::int64_t size = 0;          // a file's size at scan time
};

struct TreeScan {
  // Folders first, then files, each group sorted bytewise by name, so every
  // folder comes before what it holds and the order does not depend on the
  // file system.
  std::vector<ScannedEntry> entries;
  // Every problem found, one line each naming the file and the reason; empty
  // when the scan succeeded.
  std::string error;

  bool ok() const { return error.empty(); }
};

TreeScan scan_tree(const std::filesystem::path& root);

// What add_missing_file did.
enum class AddMissing { added, present, refused };

// Adds source as the file entry name (relative, "\"-separated, Windows-1252)
// with the folders it needs, unless an entry of that name (letter case not
// counting) is there already: the maker's own file then wins. A name that
// would leave the installation folder, a name below a file, or a source that
// is no regular file is refused, with the reason in scan.error.
AddMissing add_missing_file(TreeScan& scan, const std::string& name, const std::filesystem::path& source);

// Why the scan's files cannot go into one container: a file larger than a
// container entry can hold, one line each; empty when none is.
std::string container_problems(const TreeScan& scan);

// The container entries of a scan: names and sizes, no contents (the packer
// streams them from the files). Only for a scan without container_problems.
std::vector<FilesetEntry> fileset_entries(const TreeScan& scan);
