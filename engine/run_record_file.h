#pragma once
// The stopped-run record as a file (engine/run_record.h): one WriteFile per
// line, so every line is in the system's cache the moment it is written and
// survives the process being killed; checkpoints flush it to the disk.

#include <optional>
#include <string>
#include <string_view>

#include "core/win_handle.h"
#include "engine/run_record.h"

class RunRecordFile final : public RunRecordSink {
 public:
  RunRecordFile() = default;
  ~RunRecordFile() { close(); }
  RunRecordFile(const RunRecordFile&) = delete;
  RunRecordFile& operator=(const RunRecordFile&) = delete;

  // Creates the file (never over an existing one). False when it cannot be made.
  bool create(const std::string& path);
  bool is_open() const { return static_cast<bool>(file_); }

  void write_line(std::string_view line) override;
  void checkpoint() override;

  // Closes the file and deletes it: the run it records is over.
  void discard();
  void close() { file_.reset(); }

 private:
  void stop_here_if_asked(std::string_view line);

  WinHandle file_;
  std::string path_;
  // Test hook, SETUP_TEST_STOP_AT=<prefix>#<n>: the process terminates itself
  // right after the n-th line that starts with prefix, as a kill would.
  std::string stop_prefix_;
  long stop_countdown_ = 0;
};

// The record a stopped run left at path, or nothing when there is none.
std::optional<std::string> read_run_record(const std::string& path);
