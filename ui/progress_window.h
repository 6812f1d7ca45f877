#pragma once
// The small window an interactive run shows while the files are written (or
// removed, by the uninstaller): the file at hand, a bar over the work and the
// logo, in the chosen language. It is redrawn at most every 50 ms, so that it costs the
// installation nothing measurable, and it goes away when the object ends.

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/progress_sink.h"

class ProgressWindow : public ProgressSink {
 public:
  // Shows the window titled title, with label ("Installing:") above the
  // file's name; the logo is borrowed.
  ProgressWindow(const std::string& title, const std::string& label, HBITMAP logo);
  ~ProgressWindow() override;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  void file_started(const std::string& name, std::uint64_t bytes_before, std::uint64_t bytes_total) override;
  void advanced(std::uint64_t bytes_done) override;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void paint(HDC dc) const;
  void redraw();

  HWND window_ = nullptr;
  HBITMAP logo_;
  std::string label_;  // "Installing" in the chosen language
  std::string file_;
  std::uint64_t done_ = 0;
  std::uint64_t total_ = 0;
  DWORD last_draw_ = 0;
};
