#include "engine/run_record_file.h"

#include <windows.h>

#include <cstdlib>

namespace {

constexpr const char* stop_variable = "SETUP_TEST_STOP_AT";

std::string environment_value(const char* name) {
  char value[512];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

}  // namespace

bool RunRecordFile::create(const std::string& path) {
  file_.reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) return false;
  path_ = path;
  const std::string stop = environment_value(stop_variable);
  const std::size_t hash = stop.rfind('#');
  if (hash != std::string::npos) {
    stop_prefix_ = stop.substr(0, hash);
    stop_countdown_ = std::strtol(stop.c_str() + hash + 1, nullptr, 10);
  }
  return true;
}

void RunRecordFile::write_line(std::string_view line) {
  if (!file_) return;
  std::string bytes(line);
  bytes += "\r\n";
  DWORD written = 0;
  WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  stop_here_if_asked(line);
}

void RunRecordFile::checkpoint() {
  if (file_) FlushFileBuffers(file_.get());
}

void RunRecordFile::discard() {
  if (path_.empty()) return;
  close();
  DeleteFileA(path_.c_str());
  path_.clear();
}

void RunRecordFile::stop_here_if_asked(std::string_view line) {
  if (stop_countdown_ <= 0 || line.substr(0, stop_prefix_.size()) != stop_prefix_) return;
  if (--stop_countdown_ == 0) TerminateProcess(GetCurrentProcess(), 99);
}

std::optional<std::string> read_run_record(const std::string& path) {
  WinHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}
