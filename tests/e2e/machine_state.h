#pragma once
// The machine as the end-to-end tests compare it before and after a run,
// and running the uninstaller as users and scripts do.

#include <optional>
#include <string>

#include "setup_run.h"
#include "tests/e2e/tree_snapshot.h"

// Every file below C:\ with its bytes and attributes, but the copies the
// uninstaller leaves in the temporary folder (the next start removes them).
TreeSnapshot machine();

// The Uninstall key of the program's registry view: every key and value.
std::string uninstall_keys();

// A value of an entry below the Uninstall key; nothing when it is missing.
std::optional<std::string> entry_value(const std::string& key, const char* value);

// Runs a command line and answers the boxes of any process (the uninstaller
// shows them from its copy) with their first button; returns once the
// program started has ended and its copy has finished removing it.
SetupRun run_command(const std::string& command);
