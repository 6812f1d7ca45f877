#pragma once
// Answers the message boxes the test thread shows, from a second thread, with
// the test driver: one scripted button per box, in order. A box beyond the
// script is answered with Cancel and recorded too, so a test that asks more
// than expected fails instead of hanging.

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/driver/driver.h"

class BoxAnswerer {
 public:
  BoxAnswerer(std::string caption, std::vector<int> answers)
      : caption_(std::move(caption)), answers_(std::move(answers)), thread_([this] { run(); }) {}
  ~BoxAnswerer() {
    if (thread_.joinable()) thread_.join();
  }
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  // Every box seen, as it was shown; call after the code under test returned.
  const std::vector<driver::Dialog>& seen() {
    if (thread_.joinable()) thread_.join();
    return seen_;
  }
  std::string log() { return driver_.log().text(); }

 private:
  void run() {
    driver_.set_process(GetCurrentProcessId());
    for (const int answer : answers_) {
      const auto box = driver_.wait_dialog(caption_);
      if (!box) return;
      seen_.push_back(*box);
      if (!driver_.press(*box, answer)) return;
    }
    if (const auto extra = driver_.wait_dialog(caption_, 1000)) {
      seen_.push_back(*extra);
      driver_.press(*extra, IDCANCEL);
    }
  }

  std::string caption_;
  std::vector<int> answers_;
  driver::Driver driver_;
  std::vector<driver::Dialog> seen_;
  std::thread thread_;  // last: starts once the rest is ready
};
