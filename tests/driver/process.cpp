#include "tests/driver/process.h"

#include <tlhelp32.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace driver {

namespace {

UniqueHandle open_output(const std::string& path) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return UniqueHandle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

std::string quote_arg(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\r\n\v\"") == std::string::npos) return arg;
  // Backslashes are literal unless they precede a quote: then they are
  // doubled, and the quote is escaped.
  std::string out = "\"";
  size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

std::string command_line(std::initializer_list<std::string> args) {
  std::string out;
  for (const std::string& arg : args) {
    if (!out.empty()) out += ' ';
    out += quote_arg(arg);
  }
  return out;
}

Process::~Process() {
  if (running()) kill();
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    if (running()) kill();
    process_ = std::move(other.process_);
    pid_ = other.pid_;
    error_ = other.error_;
  }
  return *this;
}

Process Process::start(const std::string& command_line, const StartOptions& options) {
  Process p;
  UniqueHandle out;
  UniqueHandle err;
  if (!options.stdout_path.empty() && !(out = open_output(options.stdout_path))) {
    p.error_ = GetLastError();
    return p;
  }
  const bool shared = options.stderr_path == options.stdout_path;
  if (!options.stderr_path.empty() && !shared && !(err = open_output(options.stderr_path))) {
    p.error_ = GetLastError();
    return p;
  }
  const bool redirect = out || err;

  STARTUPINFOA si = {};
  si.cb = sizeof si;
  if (redirect) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out ? out.get() : GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = err ? err.get() : (shared ? out.get() : GetStdHandle(STD_ERROR_HANDLE));
  }
  // CreateProcessA may write into the command line.
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, redirect ? TRUE : FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    p.error_ = GetLastError();
    return p;
  }
  CloseHandle(pi.hThread);
  p.process_.reset(pi.hProcess);
  p.pid_ = pi.dwProcessId;
  return p;
}

bool Process::running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

bool Process::wait(DWORD timeout_ms) const {
  return process_ && WaitForSingleObject(process_.get(), timeout_ms) == WAIT_OBJECT_0;
}

std::optional<DWORD> Process::exit_code() const {
  if (!process_ || running()) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
  return code;
}

void Process::kill(DWORD exit_code) {
  if (!running()) return;
  TerminateProcess(process_.get(), exit_code);
  WaitForSingleObject(process_.get(), 5000);
}

RunResult run(const std::string& command_line, DWORD timeout_ms, const StartOptions& options) {
  RunResult result;
  Process p = Process::start(command_line, options);
  if (!p.started()) {
    result.error = p.error();
    return result;
  }
  result.started = true;
  if (!p.wait(timeout_ms)) {
    result.timed_out = true;
    p.kill();
  }
  result.exit_code = p.exit_code().value_or(kKilledExitCode);
  return result;
}

std::vector<DWORD> process_tree(DWORD pid) {
  std::vector<DWORD> tree = {pid};
  const UniqueHandle all(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!all) return tree;
  std::vector<std::pair<DWORD, DWORD>> parents;  // process, parent
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(all.get(), &entry); more; more = Process32Next(all.get(), &entry)) {
    parents.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
  }
  // Children of the tree found so far, until no new one turns up.
  for (std::size_t known = 0; known < tree.size(); ++known) {
    for (const auto& [child, parent] : parents) {
      if (parent == tree[known] && std::find(tree.begin(), tree.end(), child) == tree.end()) tree.push_back(child);
    }
  }
  return tree;
}

}  // namespace driver
