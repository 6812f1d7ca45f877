#include "engine/run_record_file.h"

#include <windows.h>

#include "core/environment.h"
#include "core/new_file.h"

RunRecordFile::RunRecordFile(std::string temp)
    : temp_(std::move(temp)),
      stop_(environment_value("SETUP_TEST_STOP_AT")),
      off_(environment_value("SETUP_TEST_NO_RECORD") == "1") {}

bool RunRecordFile::begin(const std::string& install_dir) {
  if (open_) return false;
  if (off_) return open_ = true;
  if (temp_.empty()) return false;
  const std::string path = run_record_path(temp_, install_dir);
  // Never over an existing record: that one belongs to a stopped run.
  file_ = create_new_file(path, GENERIC_WRITE, nullptr);
  if (!file_) return false;
  path_ = path;
  open_ = true;
  return true;
}

std::optional<std::string> RunRecordFile::left_by_stopped_run(const std::string& install_dir) const {
  if (temp_.empty()) return std::nullopt;
  const std::string path = run_record_path(temp_, install_dir);
  if (open_ && path == path_) return std::nullopt;
  WinHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

void RunRecordFile::write_line(std::string_view line) {
  if (!file_) return;
  std::string bytes(line);
  bytes += "\r\n";
  DWORD written = 0;
  WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void RunRecordFile::announce(std::string_view line) {
  write_line(line);
  if (stop_.stop_after(line)) TerminateProcess(GetCurrentProcess(), 99);
}

void RunRecordFile::withdraw(std::string_view line) {
  std::string bytes(run_record::withdrawn);
  bytes += line;
  write_line(bytes);
}

void RunRecordFile::checkpoint() {
  if (file_) FlushFileBuffers(file_.get());
}

void RunRecordFile::discard() {
  file_.reset();
  if (!path_.empty()) DeleteFileA(path_.c_str());
  path_.clear();
  open_ = false;
}

bool RunRecordFile::resume(const std::string& install_dir) {
  if (open_) return false;
  if (off_) return open_ = true;
  if (temp_.empty()) return false;
  const std::string path = run_record_path(temp_, install_dir);
  file_.reset(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) return false;
  // A last line cut short by a power loss must stay cut: a zero byte makes
  // it a line no parse takes (and is a line of nothing when there was none).
  write_line(std::string_view("\0", 1));
  path_ = path;
  open_ = true;
  return true;
}
