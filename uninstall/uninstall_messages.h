#pragma once
// The uninstaller's report, composed of the message catalogue's parts
// (core/messages.h) in the run's language: the counts, then the folders
// that stay with the user's files, what could not be removed and why, the
// records refused, the shortcuts left to another installation and what
// stays on purpose; each list names at most ten, then how many more.

#include <string>
#include <vector>

#include "engine/undo.h"

struct UninstallReport {
  UndoOutcome outcome;
  std::vector<RefusedRecord> refused;
  // Left on purpose: the journal could not be read whole, or the program
  // could not remove itself.
  std::vector<LeftItem> kept;
  // The uninstaller, when it ran in place and goes at the next restart.
  std::string removed_at_restart;
};

std::string uninstall_report(bool german, const UninstallReport& report);
