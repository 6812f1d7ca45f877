#pragma once
// The stopped-run record as a file (engine/run_record.h) in the temporary
// folder. Every announcement is one WriteFile of its line, so it is in the
// system's cache before the change it announces is made and survives the
// process being killed; a checkpoint flushes the file to the disk, which only
// a power loss needs.

#include <string>
#include <string_view>

#include "core/win_handle.h"
#include "engine/run_record.h"

class RunRecordFile final : public RunRecordSink {
 public:
  // temp: the folder records are kept in (temp_folder, engine/temp_folder.h).
  explicit RunRecordFile(std::string temp);
  ~RunRecordFile() { file_.reset(); }
  RunRecordFile(const RunRecordFile&) = delete;
  RunRecordFile& operator=(const RunRecordFile&) = delete;

  bool begin(const std::string& install_dir) override;
  bool is_open() const override { return open_; }
  std::optional<std::string> left_by_stopped_run(const std::string& install_dir) const override;
  void announce(std::string_view line) override;
  void withdraw(std::string_view line) override;
  void checkpoint() override;
  bool resume(const std::string& install_dir) override;
  void discard() override;

 private:
  void write_line(std::string_view line);

  std::string temp_;
  WinHandle file_;
  std::string path_;
  bool open_ = false;
  // Test hooks: SETUP_TEST_STOP_AT (StopHook), and SETUP_TEST_NO_RECORD=1,
  // which keeps no record at all, for measuring what the record costs.
  StopHook stop_;
  bool off_ = false;
};
