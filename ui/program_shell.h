#pragma once
// The start-up both programs share, and what they hold for the whole run: in
// a quiet run the system's own error boxes turned off; the -W log, opened in
// the run's language with the program's name, its arguments and its options
// as read; the logo; and the progress window while files are written or
// removed. The run sequences (setup/, uninstall/) own one each.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/gdi_object.h"
#include "core/messages.h"
#include "core/options.h"
#include "core/progress_sink.h"
#include "core/run_log.h"
#include "core/run_log_file.h"

class ProgressWindow;

class ProgramShell {
 public:
  // program: "setup" or "uninstall", as the log and its notices name it.
  ProgramShell(const char* program, const ShellOptions& options);
  ~ProgramShell();
  ProgramShell(const ProgramShell&) = delete;
  ProgramShell& operator=(const ProgramShell&) = delete;

  // Opens the -W log (a notice in the run's language when it cannot be
  // written) and writes its first lines.
  void open_log(bool german, const std::vector<std::string>& arguments, const std::string& options_line);

  RunLog& log() { return log_; }
  HBITMAP logo() const { return logo_.get(); }
  bool quiet() const { return options_.quiet; }
  const ShellOptions& options() const { return options_; }

  // Shows the progress window, "<title> - ..." and its label in the run's
  // language; until end_progress, progress() feeds it as well as the log.
  void show_progress(Msg title, Msg label, const std::string& product_title, bool german);
  void end_progress();
  ProgressSink& progress() { return events_; }

 private:
  const char* program_;
  ShellOptions options_;
  RunLogFile log_file_;
  RunLog log_;
  GdiObject<HBITMAP> logo_;
  std::unique_ptr<ProgressWindow> window_;
  ProgressPair events_{nullptr, &log_};
};
