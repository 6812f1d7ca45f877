#pragma once
// The driver's log: one line per window seen or acted on, kept in memory for
// test failure messages and optionally written to a file and echoed to a
// stream. Lines carry the milliseconds since the log was made.

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tests/driver/unique_handle.h"

namespace driver {

// Window texts as C-style literals: \\ \" \r \n \t and \xNN for the other
// control bytes; bytes from 0x20 up (Windows-1252 letters too) stay as they are.
std::string escape(const std::string& bytes);

// The inverse of escape. Fails on an unknown escape (so "C:\Games" is refused
// instead of silently meaning something else) or a bad \xNN.
std::optional<std::string> unescape(const std::string& text);

class Log {
 public:
  Log();
  Log(const Log&) = delete;
  Log& operator=(const Log&) = delete;

  // Creates or truncates the file; lines in it end with CR LF.
  bool open_file(const std::string& path);
  // Also prints every line to this stream (stdout for the command line tool).
  void echo_to(std::FILE* stream) { echo_ = stream; }

  void write(const std::string& line);

  // The lines as written, without the time stamp.
  const std::vector<std::string>& lines() const { return lines_; }
  // Time-stamped lines joined with "\n", for test failure messages.
  std::string text() const;
  DWORD elapsed_ms() const;

 private:
  DWORD start_;
  std::vector<std::string> lines_;
  std::vector<std::string> stamped_;
  UniqueHandle file_;
  std::FILE* echo_ = nullptr;
};

}  // namespace driver
