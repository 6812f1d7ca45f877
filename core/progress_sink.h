#pragma once
// What extraction and the uninstaller tell about their progress: each file
// as it is about to be written or removed, and how that went. An interactive
// run shows the first; the "-W" log (core/run_log.h) writes the second.

#include <cstdint>
#include <string>
#include <string_view>

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // name: the entry below the installation folder; bytes_before: the payload
  // bytes of the files before it; bytes_total: of all files.
  virtual void file_started(const std::string& name, std::uint64_t bytes_before, std::uint64_t bytes_total) = 0;
  // The payload bytes written so far, within a file that file_started named:
  // a large file moves the bar while it is written.
  virtual void advanced(std::uint64_t bytes_done) { (void)bytes_done; }
  // The outcome of a file (or another step), as one line of text: what was
  // done, or what failed, with the system's error code (0: none to give).
  virtual void file_finished(std::string_view outcome, std::uint32_t error = 0) {
    (void)outcome;
    (void)error;
  }
};

// Hands each event to both sinks; either may be null.
class ProgressPair final : public ProgressSink {
 public:
  ProgressPair(ProgressSink* first, ProgressSink* second) : first_(first), second_(second) {}
  void set_first(ProgressSink* first) { first_ = first; }

  void file_started(const std::string& name, std::uint64_t bytes_before, std::uint64_t bytes_total) override {
    if (first_) first_->file_started(name, bytes_before, bytes_total);
    if (second_) second_->file_started(name, bytes_before, bytes_total);
  }
  void advanced(std::uint64_t bytes_done) override {
    if (first_) first_->advanced(bytes_done);
    if (second_) second_->advanced(bytes_done);
  }
  void file_finished(std::string_view outcome, std::uint32_t error) override {
    if (first_) first_->file_finished(outcome, error);
    if (second_) second_->file_finished(outcome, error);
  }

 private:
  ProgressSink* first_;
  ProgressSink* second_;
};
