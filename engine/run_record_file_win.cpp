#include "engine/run_record_file.h"

#include <windows.h>

#include "core/file_bytes.h"
#include "core/new_file.h"
#include "core/paths.h"

namespace {

bool is_folder(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

RunRecordFile::RunRecordFile(const TestHooks& hooks)
    : stop_(hooks.stop_at), full_(hooks.record_full_at), off_(hooks.no_record) {}

bool RunRecordFile::begin(const std::string& install_dir) {
  if (open_) return false;
  if (off_) return open_ = true;
  // Beside the installation folder, in the nearest folder that exists.
  for (const std::string& folder : run_record_folders(install_dir)) {
    if (!is_folder(folder)) continue;
    const std::string path = join_path(folder, run_record_name(install_dir));
    // Never over an existing record: that one belongs to a stopped run.
    file_ = create_new_file(path, GENERIC_WRITE, nullptr);
    if (!file_) return false;
    path_ = path;
    error_ = 0;
    return open_ = true;
  }
  return false;
}

std::string RunRecordFile::stopped_run_path(const std::string& install_dir) const {
  const std::string name = run_record_name(install_dir);
  for (const std::string& folder : run_record_folders(install_dir)) {
    const std::string path = join_path(folder, name);
    if (open_ && path == path_) continue;
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
  }
  return {};
}

std::optional<LeftRecord> RunRecordFile::left_by_stopped_run(const std::string& install_dir) const {
  LeftRecord left;
  left.path = stopped_run_path(install_dir);
  if (left.path.empty()) return std::nullopt;
  std::optional<std::string> bytes = read_file_bytes(left.path, run_record_limit);
  left.readable = bytes.has_value();
  if (bytes) left.bytes = std::move(*bytes);
  return left;
}

bool RunRecordFile::write_line(std::string_view line) {
  if (off_ && open_) return true;
  if (!file_ || error_) {
    if (!error_) error_ = ERROR_INVALID_HANDLE;
    SetLastError(error_);
    return false;
  }
  std::string bytes(line);
  bytes += "\r\n";
  DWORD written = 0;
  if (!WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    // A short write leaves part of a line: the next run reads no more than
    // the whole lines before it. Nothing after this may be changed.
    error_ = GetLastError();
    if (error_ == 0) error_ = ERROR_DISK_FULL;
    SetLastError(error_);
    return false;
  }
  return true;
}

bool RunRecordFile::announce(std::string_view line) {
  if (full_.stop_after(line)) {
    error_ = ERROR_DISK_FULL;
    SetLastError(error_);
    return false;
  }
  if (!write_line(line)) return false;
  if (stop_.stop_after(line)) TerminateProcess(GetCurrentProcess(), 99);
  return true;
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
  error_ = 0;
}

bool RunRecordFile::resume(const std::string& install_dir) {
  if (open_) return false;
  if (off_) return open_ = true;
  const std::string path = stopped_run_path(install_dir);
  if (path.empty()) return false;
  file_.reset(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) return false;
  path_ = path;
  open_ = true;
  error_ = 0;
  // A last line cut short by a power loss must stay cut: a zero byte makes
  // it a line no parse takes (and is a line of nothing when there was none).
  return write_line(std::string_view("\0", 1));
}
