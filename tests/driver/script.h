#pragma once
// The step language of testdriver.exe: options, then steps, each a keyword
// with its arguments, run in order. Parsing is separate from running so the
// language can be checked without windows.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/driver/driver.h"

namespace driver {

// Exit codes of testdriver.exe.
enum ExitCode : int {
  kExitOk = 0,
  kExitTimeout = 1,  // a window did not appear, or did not close, in time
  kExitUsage = 2,    // bad command line
  kExitFailed = 3,   // a step failed: wrong text or state, no such button or control
};

enum class StepKind {
  box,           // box CAPTION
  press,         // press BUTTON
  expect_text,   // expect-text TEXT
  settext,       // settext CAPTION ID TEXT
  click,         // click CAPTION ID
  check,         // check CAPTION ID STATE
  expect_check,  // expect-check CAPTION ID STATE
  expect_item,   // expect-item CAPTION ID TEXT
  select,        // select CAPTION ID ENTRY
  close,         // close CAPTION
  gone,          // gone CAPTION
  sleep,         // sleep MS
  watch_windows, // watch-windows MS
};

struct Step {
  StepKind kind = StepKind::box;
  std::string caption;
  int id = 0;     // control or button id
  int state = 0;  // check state: BST_UNCHECKED 0, BST_CHECKED 1, BST_INDETERMINATE 2
  std::string text;
  DWORD ms = 0;
};

struct Script {
  DWORD timeout_ms = kDefaultTimeoutMs;
  std::string log_path;
  DWORD pid = 0;
  bool quiet = false;
  bool help = false;
  std::vector<Step> steps;
};

struct ParseResult {
  bool ok = false;
  Script script;
  std::string error;
};

// args without the program name.
ParseResult parse_script(const std::vector<std::string>& args);
const char* usage_text();

// Runs the steps; failures go to the driver's log and, one line each, to err.
int run_script(const Script& script, Driver& driver, std::FILE* err);

}  // namespace driver
