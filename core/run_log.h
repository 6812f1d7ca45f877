#pragma once
// The "-W" log of a run: plain text for whoever deploys the program without
// watching it. It gives the options as parsed, the folders chosen, each check
// with its result, a line for each file written or removed or for the
// failure with the system's error code and message, the rollback or clean-up
// taken, and the exit code. Lines are 8-bit text ending in CR LF; each goes
// to the system in one write as soon as it is made (no flush to the disk),
// so the log of a killed run shows how far it got.
//
// The run sequence owns it and hands it on; a run without -W has one with no
// output, which writes nothing.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/progress_sink.h"

struct InstallerSettings;
struct ShellOptions;

// Where the lines go: the file (core/run_log_file.h) or a test's buffer.
class LogOutput {
 public:
  virtual ~LogOutput() = default;
  virtual void write(std::string_view bytes) = 0;
  // The system's text for an error code, without a line break.
  virtual std::string system_message(std::uint32_t error) const = 0;
};

class RunLog final : public ProgressSink {
 public:
  RunLog() = default;
  void attach(LogOutput* output) { output_ = output; }
  bool on() const { return output_ != nullptr; }

  void line(std::string_view text);
  // "<what>: error <code>: <the system's message>"; only what when code is 0.
  void failure(std::string_view what, std::uint32_t error);
  // "exit code <n>".
  void exit_code(int code);

  // The files' lines: nothing before a file, one line with its outcome.
  void file_started(const std::string&, std::uint64_t, std::uint64_t) override {}
  void file_finished(std::string_view outcome, std::uint32_t error) override { failure(outcome, error); }

 private:
  LogOutput* output_ = nullptr;
};

// "<what>: error <code>: <message>", or what alone when code is 0.
std::string with_system_error(std::string_view what, std::uint32_t error, std::string_view message);

// The arguments as given, each in quotes when it holds a blank.
std::string arguments_line(const std::vector<std::string>& arguments);

// setup.exe's options as parsed: every flag by its letter ("G+" on, "G-"
// off) and the values of -L, -P, -p and -W.
std::string setup_options_line(const InstallerSettings& settings, const ShellOptions& shell);
