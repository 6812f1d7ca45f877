#pragma once
// Switches for the project's own tests and benchmarks. Only a test build of
// a program reads them, from its environment; a program that ships has none
// (a maker's build, the sample): its record cannot be turned off and nothing
// outside can end it at a chosen moment. Each program links one of
// test_hooks_env_win.cpp (test builds) or test_hooks_shipped.cpp.

#include <string>

struct TestHooks {
  // Ends the process right after it announced a chosen record line
  // (engine/run_record.h, StopHook), as a kill there would.
  std::string stop_at;
  // Keeps no stopped-run record, for measuring what the record costs.
  bool no_record = false;
  // Fails the record's write of a chosen line and every later one (the same
  // form as stop_at), as a full disk would.
  std::string record_full_at;
  // Skips the free-space check, so that a run meets a full disk while it
  // writes, as when another program fills the drive meanwhile.
  bool no_space_check = false;
};

TestHooks test_hooks();
