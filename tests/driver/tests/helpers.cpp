#include "tests/driver/tests/helpers.h"

namespace driver_test {

namespace {

std::string with_program(const std::string& exe, std::initializer_list<std::string> args) {
  std::string line = driver::quote_arg(exe);
  for (const std::string& arg : args) line += " " + driver::quote_arg(arg);
  return line;
}

}  // namespace

std::string sibling(const std::string& name) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  dir.resize(dir.find_last_of('\\') + 1);
  return dir + name;
}

driver::Process start_show_box(std::initializer_list<std::string> args, const driver::StartOptions& options) {
  return driver::Process::start(with_program(sibling("show_box.exe"), args), options);
}

driver::RunResult run_testdriver(std::initializer_list<std::string> args, DWORD timeout_ms,
                                 const driver::StartOptions& options) {
  return driver::run(with_program(sibling("testdriver.exe"), args), timeout_ms, options);
}

LONGLONG qpc_now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

double qpc_ms(LONGLONG from, LONGLONG to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace driver_test
