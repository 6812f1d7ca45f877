#pragma once
// Folders of the system that a run never uses for its own purposes: the
// Windows folder and the system folder.

#include <string>

struct FolderTable;

// True when path (as the user gave it: "/" separators, "." and ".." are
// resolved first) is the Windows folder, the system folder or below either.
bool is_in_system_folders(const std::string& path, const FolderTable& folders);

// The path with the part of it that exists named by the long names the file
// system keeps (a short 8.3 name such as PROGRA~1 expanded), the rest as
// given; a trailing "\" stays. Records name the installation's places by
// these names, and the uninstall finds them by them.
std::string long_path(const std::string& path);

// The path as the system resolves it ("/" become "\", "." and ".." are
// resolved), or the path itself when it cannot be resolved.
std::string full_path(const std::string& path);
