#pragma once
// Sets an environment variable of the test process for one scope.

#include <windows.h>

#include <optional>
#include <string>

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    char old[32768];
    const DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
    if (n > 0 && n < sizeof old) old_ = std::string(old, n);
    SetEnvironmentVariableA(name, value.c_str());
  }
  ~ScopedEnv() { SetEnvironmentVariableA(name_, old_ ? old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};
