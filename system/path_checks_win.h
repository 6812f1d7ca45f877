#pragma once
// The checks of path_checks.h that ask the system: the queued file
// operations in the registry, and a write probe in the installation folder.

#include <string>

#include "system/path_checks.h"
#include "system/shell_registry.h"

struct InstallerSettings;
class Tstring_writer;

// True when the system has queued a rename or deletion for the next reboot
// that names the folder (see pending_operations_mention). Missing registry
// functions or value: false.
bool has_pending_rename(const ShellRegistry& registry, const std::string& path);

// Makes the folder (ending in "\") and its missing parents with journaled
// "DIR:" records, creates a probe file of a name that does not exist yet and
// deletes it again. On success the probe file's path goes into the journal as
// an untagged record (the game's uninstaller expects it); on failure the
// folders it made are removed again and their records dropped, so nothing of
// the probe remains. A file that exists is never touched.
bool probe_write(Tstring_writer& journal, const std::string& folder);

// The whole check of a silent run's folders, before anything else is written:
// the installation folder's form, the start-menu folders' forms (each that is
// set, on its own), queued operations for any of them, and the write probe.
bool paths_usable(InstallerSettings& settings, const ShellRegistry& registry);
