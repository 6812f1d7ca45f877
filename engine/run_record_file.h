#pragma once
// The stopped-run record as a file (engine/run_record.h) beside the
// installation folder. Every announcement is one WriteFile of its line, so it
// is in the system's cache before the change it announces is made and
// survives the process being killed; a checkpoint flushes the file to the
// disk, which only a power loss needs. A line that cannot be written whole
// fails the announcement and every later one.

#include <string>
#include <string_view>

#include "core/win_handle.h"
#include "engine/run_record.h"
#include "engine/test_hooks.h"

class RunRecordFile final : public RunRecordSink {
 public:
  explicit RunRecordFile(const TestHooks& hooks = {});
  ~RunRecordFile() { file_.reset(); }
  RunRecordFile(const RunRecordFile&) = delete;
  RunRecordFile& operator=(const RunRecordFile&) = delete;

  bool begin(const std::string& install_dir) override;
  bool is_open() const override { return open_; }
  std::optional<LeftRecord> left_by_stopped_run(const std::string& install_dir) const override;
  bool announce(std::string_view line) override;
  void withdraw(std::string_view line) override;
  void checkpoint() override;
  bool resume(const std::string& install_dir) override;
  void discard() override;
  bool failed() const override { return error_ != 0; }
  unsigned long error() const override { return error_; }
  // Where this run's record lies (empty while there is none).
  const std::string& path() const { return path_; }

 private:
  bool write_line(std::string_view line);
  std::string stopped_run_path(const std::string& install_dir) const;

  WinHandle file_;
  std::string path_;
  bool open_ = false;
  unsigned long error_ = 0;
  StopHook stop_;
  StopHook full_;     // the test hook of a full disk: the line it names fails
  bool off_ = false;  // the test hook that keeps no record
};
