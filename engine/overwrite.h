#pragma once
// The overwrite policy: whether a file that already exists where the
// installation writes one may be replaced. -O replaces without asking;
// otherwise the run's questions answer (engine/questions.h): the user's Yes
// replaces this one and every later one without asking, No this one only,
// Cancel none; a silent run's answer keeps it, and the installation fails
// there.

#include <string>

struct InstallRun;

bool may_replace(InstallRun& run, const std::string& path);
