#pragma once
// What the sample programs show: how they were started. The shortcuts and the
// Add/Remove Programs entry of setup.exe hand them "-L <language>" and maybe
// "-P <shared data folder>", and set the installation folder as working folder.
// Plain Win32 without the C++ library, so the programs stay small.
#include <windows.h>

#include <cstdlib>

// A message text that cuts what does not fit instead of overrunning.
class MessageText {
 public:
  void add(const char* text) {
    while (*text != '\0' && used_ + 1 < sizeof buffer_) buffer_[used_++] = *text++;
    buffer_[used_] = '\0';
  }
  const char* c_str() const { return buffer_; }

 private:
  char buffer_[4096] = {};
  unsigned used_ = 0;
};

inline int show_how_started(const char* title) {
  MessageText text;
  text.add("Command line:\r\n");
  text.add(GetCommandLineA());
  text.add("\r\n\r\nArguments:");
  if (__argc < 2) text.add(" none");
  for (int i = 1; i < __argc; ++i) {
    char number[16];
    wsprintfA(number, "\r\n  %d: ", i);
    text.add(number);
    text.add(__argv[i]);
  }
  char folder[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  text.add("\r\n\r\nWorking folder:\r\n");
  text.add(length > 0 && length < sizeof folder ? folder : "(unknown)");
  MessageBoxA(nullptr, text.c_str(), title, MB_OK | MB_ICONINFORMATION);
  return 0;
}
