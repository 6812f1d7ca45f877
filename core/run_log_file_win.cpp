#include "core/run_log_file.h"

#include <windows.h>

#include "core/message_box.h"

namespace {

std::string reason_of(DWORD error) {
  const std::string message = system_error_message(error);
  return "error " + std::to_string(error) + (message.empty() ? "" : ": " + message);
}

// Also where no console is: a debugger or a tool that collects the
// system's debug output sees it.
void note_on_standard_error(const std::string& text) {
  OutputDebugStringA(text.c_str());
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(err, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

bool RunLogFile::open(const std::string& path) {
  file_.reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file_);
}

void RunLogFile::write(std::string_view bytes) {
  if (!file_) return;
  DWORD written = 0;
  if (WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size()) {
    return;
  }
  DWORD error = GetLastError();
  if (error == 0) error = ERROR_DISK_FULL;
  file_.reset();
  if (notice_) notice_(error);
}

std::string RunLogFile::system_message(std::uint32_t error) const { return system_error_message(error); }

std::string system_error_message(std::uint32_t error) {
  char text[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                           MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
  return std::string(text, n);
}

void open_run_log(RunLogFile& file, RunLog& log, const std::string& path, bool quiet, bool german,
                  const char* program) {
  if (path.empty()) return;
  // Said the same way whether the log cannot be made or stops on the way.
  const auto notice = [path, quiet, german, program](DWORD error) {
    const std::string reason = reason_of(error);
    note_on_standard_error(std::string(program) + ": the log file " + path + " cannot be written (" + reason +
                           "); the run goes on without a log.\r\n");
    if (!quiet) show_message(Msg::log_unwritable, german, MB_OK | MB_ICONWARNING, {path, reason});
  };
  if (file.open(path)) {
    file.on_failure(notice);
    log.attach(&file);
    return;
  }
  notice(GetLastError());
}
