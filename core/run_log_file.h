#pragma once
// The "-W" log as a file (core/run_log.h): created anew for each run, one
// WriteFile per line, so that a line is in the system's cache as soon as it
// is made and survives the process being killed.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/run_log.h"
#include "core/win_handle.h"

class RunLogFile final : public LogOutput {
 public:
  RunLogFile() = default;
  RunLogFile(const RunLogFile&) = delete;
  RunLogFile& operator=(const RunLogFile&) = delete;

  // Creates the file, or empties one that is there. False, with the last
  // error set, when it cannot be written.
  bool open(const std::string& path);
  // A line that cannot be written whole (a full disk) ends the log: the
  // callback hears of it once, with the system's error.
  void on_failure(std::function<void(std::uint32_t error)> notice) { notice_ = std::move(notice); }
  void write(std::string_view bytes) override;
  std::string system_message(std::uint32_t error) const override;

 private:
  WinHandle file_;
  std::function<void(std::uint32_t)> notice_;
};

// The system's text for an error code (FormatMessageA), without the line
// break at its end; empty when the system has none.
std::string system_error_message(std::uint32_t error);

// Opens the log a run was given with -W (none for an empty path) and
// attaches it. A path that cannot be written changes nothing else: the run
// goes on without a log and its exit code stays what it would be. It is said
// on the standard error stream (a deployment tool reads that) and, unless
// the run is quiet, in a message box. program: "setup" or "uninstall".
void open_run_log(RunLogFile& file, RunLog& log, const std::string& path, bool quiet, bool german,
                  const char* program);
