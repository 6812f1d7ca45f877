#pragma once
// Paths of a silent run, where no dialog asks for them: the installation
// folder (from "-P" or the default base) always gets the product folder and a
// trailing "\"; the start-menu folders not given are derived from the flags.

struct InstallerSettings;

void complete_silent_paths(InstallerSettings& settings);
