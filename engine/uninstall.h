#pragma once
// Carrying out an uninstall plan (engine/uninstall_plan.h) on the real file
// system. Each step can be done twice: what is gone already counts as done,
// so an uninstall that was stopped is finished by the next one. Nothing is
// looked up for a file beyond its deletion unless that fails; a folder is
// looked at once, for a link, before anything in it is touched.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/uninstall_plan.h"

class ProgressSink;
class StopHook;

struct LeftItem {
  std::string path;
  std::string why;  // English
};

struct RemovalOutcome {
  std::int32_t files = 0;     // removed
  std::int32_t folders = 0;
  std::int32_t restored = 0;  // replaced files put back
  std::int32_t entries = 0;
  std::vector<LeftItem> left;               // what should have gone and did not
  std::vector<std::string> kept_folders;    // folders that hold what the installation did not make
  std::vector<std::string> retry_folders;   // folders left only for the skipped files below
};

// Removes one Add/Remove Programs entry by key name; true when it is gone.
using RemoveEntry = std::function<bool(const std::string& key)>;

// Carries the steps out in order; once anything is left, entries stay for the
// next uninstall. skipped: files the caller removes itself
// afterwards (the uninstaller's own program and journal): their deletion is
// not tried, and a folder that holds nothing else is listed in
// retry_folders, not as kept. progress, when given, hears of each step.
// stop (the tests' hook) ends the process before the step whose record it
// names, as a kill there would.
RemovalOutcome carry_out(const UninstallPlan& plan, const RemoveEntry& remove_entry,
                         const std::vector<std::string>& skipped, ProgressSink* progress, StopHook* stop = nullptr);

// Removes the folders again, in order, each only when empty; returns those
// that stay.
std::vector<std::string> remove_folders(const std::vector<std::string>& folders);
