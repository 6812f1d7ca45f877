#pragma once
// Runs a setup.exe the tests built, as a script or a user would, and plays
// the user on the message boxes it shows.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/driver/driver.h"
#include "tests/support/scoped_env.h"

struct SetupRun {
  bool finished = false;              // ended on its own within the time limit
  DWORD exit_code = 0;
  std::vector<driver::Dialog> boxes;  // every box it showed, in order
  std::string log;                    // the driver's log, for failure messages
};

// The path of a setup program in the tests' build folder ("e2e_setup" ...).
std::string e2e_program(const std::string& name);

// Answers a dialog the test knows; false leaves it to the next answer.
using DialogAnswer = std::function<bool(driver::Driver&, const driver::Dialog&)>;

// Starts the program with the arguments. A box is answered by `answer` when it
// takes it (the path dialog, say); otherwise the boxes get the buttons in
// `answers` in order; every further box its first button, the default one; a
// box that has none is closed.
SetupRun run_setup(const std::string& program, const std::vector<std::string>& args, DWORD timeout_ms,
                   const std::vector<int>& answers, const DialogAnswer& answer = {});
SetupRun run_setup(const std::string& program, const std::vector<std::string>& args, DWORD timeout_ms = 60000,
                   const DialogAnswer& answer = {});

// The test hook of setup.exe while it lives: SETUP_TEST_STOP_AT=<prefix>[*<suffix>]#<n>
// ends the run right after it announced the n-th change of that kind, before
// making it, as a kill would (exit code 99).
class ScopedStop : public ScopedEnv {
 public:
  explicit ScopedStop(const std::string& at) : ScopedEnv("SETUP_TEST_STOP_AT", at) {}
};
constexpr DWORD exit_stopped = 99;

// The test hook that skips the free-space check while it lives, so that a
// run into the small drive meets the full disk while it writes.
class ScopedNoSpaceCheck : public ScopedEnv {
 public:
  ScopedNoSpaceCheck() : ScopedEnv("SETUP_TEST_NO_SPACE_CHECK", "1") {}
};

// The sample's dialogs.
constexpr const char* language_dialog_caption = "Quasarine II - Installation - Select Language";
constexpr const char* path_dialog_caption = "Quasarine II - Installation - Path Selection";

// Answers the path dialog with this base folder and OK, as a user would.
DialogAnswer install_into(const std::string& base);

// The lines of log_inst.dat: split at CR LF; a line break of another form
// stays inside the line, so that it shows as a difference.
std::vector<std::string> journal_lines(const std::string& bytes);

// The "FILE:" lines among them.
int file_records(const std::vector<std::string>& lines);
