// testdriver.exe: runs a script of steps that act as the user on another
// program's dialogs and message boxes. See usage_text() in script.cpp.
//
//   wine testdriver.exe --timeout 10000 --log Z:\tmp\log.txt box "Install complete" press OK

#include <cstdio>
#include <string>
#include <vector>

#include "tests/driver/driver.h"
#include "tests/driver/script.h"

// Arguments are taken as typed: no wildcard expansion by the C runtime.
extern "C" {
int _dowildcard = 0;
}

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const driver::ParseResult parsed = driver::parse_script(args);
  if (!parsed.ok) {
    std::fprintf(stderr, "testdriver: %s\n%s", parsed.error.c_str(), driver::usage_text());
    return driver::kExitUsage;
  }
  const driver::Script& script = parsed.script;
  if (script.help) {
    std::fputs(driver::usage_text(), stdout);
    return driver::kExitOk;
  }

  driver::Driver d;
  d.set_timeout(script.timeout_ms);
  d.set_process(script.pid);
  if (!script.quiet) d.log().echo_to(stdout);
  if (!script.log_path.empty() && !d.log().open_file(script.log_path)) {
    std::fprintf(stderr, "testdriver: cannot write the log %s (error %lu)\n", script.log_path.c_str(),
                 static_cast<unsigned long>(GetLastError()));
    return driver::kExitUsage;
  }
  return driver::run_script(script, d, stderr);
}
