#pragma once
// What extraction tells about its progress: each file as it is about to be
// written. An interactive run shows it; a silent run has no sink.

#include <cstdint>
#include <string>

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // name: the entry below the installation folder; bytes_before: the payload
  // bytes of the files before it; bytes_total: of all files.
  virtual void file_started(const std::string& name, std::uint64_t bytes_before, std::uint64_t bytes_total) = 0;
};
