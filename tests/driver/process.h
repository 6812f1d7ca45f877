#pragma once
// Starting the program under test (or a helper) from a Windows-side test:
// start with a command line, wait with a timeout, read the exit code, kill.

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "tests/driver/unique_handle.h"

namespace driver {

// Exit code given to a process the helper kills.
constexpr DWORD kKilledExitCode = 0xDEAD;

// One argument quoted so that the usual command-line parsing gives it back.
std::string quote_arg(const std::string& arg);
// Arguments joined into a command line, each quoted as needed.
std::string command_line(std::initializer_list<std::string> args);

struct StartOptions {
  std::string stdout_path;  // when set, the child's standard output goes to this file
  std::string stderr_path;  // the same for standard error; may equal stdout_path
};

// A started process. Move-only; a process still running when its owner goes
// away is killed, so a failed test leaves no message box behind.
class Process {
 public:
  Process() = default;
  ~Process();
  Process(Process&& other) noexcept = default;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // CreateProcessA. On failure started() is false and error() tells why.
  static Process start(const std::string& command_line, const StartOptions& options = {});

  bool started() const { return static_cast<bool>(process_); }
  DWORD error() const { return error_; }
  DWORD pid() const { return pid_; }
  HANDLE handle() const { return process_.get(); }

  bool running() const;
  // True when the process has ended within timeout_ms.
  bool wait(DWORD timeout_ms) const;
  // The exit code once the process has ended; empty while it runs.
  std::optional<DWORD> exit_code() const;
  // Terminates a running process and waits for it to go.
  void kill(DWORD exit_code = kKilledExitCode);

 private:
  UniqueHandle process_;
  DWORD pid_ = 0;
  DWORD error_ = 0;
};

struct RunResult {
  bool started = false;
  bool timed_out = false;   // killed after the timeout
  DWORD exit_code = 0;      // kKilledExitCode when timed out
  DWORD error = 0;          // why it did not start
};

// The process and every process it started, and they in turn, that runs
// now (the uninstaller's copy in the temporary folder, say).
std::vector<DWORD> process_tree(DWORD pid);

// Starts, waits up to timeout_ms, kills on timeout.
RunResult run(const std::string& command_line, DWORD timeout_ms, const StartOptions& options = {});

}  // namespace driver
