#pragma once
// Folders of the system that a run never uses for its own purposes: the
// Windows folder and the system folder.

#include <string>

struct FolderTable;

// True when path (as the user gave it: "/" separators, "." and ".." are
// resolved first) is the Windows folder, the system folder or below either.
bool is_in_system_folders(const std::string& path, const FolderTable& folders);

// The path as the system resolves it ("/" become "\", "." and ".." are
// resolved), or the path itself when it cannot be resolved.
std::string full_path(const std::string& path);
