#include "ui/program_shell.h"

#include "resources/resource_ids.h"
#include "ui/progress_window.h"

ProgramShell::ProgramShell(const char* program, const ShellOptions& options)
    : program_(program),
      options_(options),
      logo_(static_cast<HBITMAP>(
          LoadImageA(GetModuleHandleA(nullptr), LOGO_BITMAP_NAME, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
  // A quiet run shows no box of the system's either (a drive without a disk,
  // a crash): it must end by itself, with no one at the screen.
  if (options_.quiet) SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
}

ProgramShell::~ProgramShell() { end_progress(); }

void ProgramShell::open_log(bool german, const std::vector<std::string>& arguments, const std::string& options_line) {
  open_run_log(log_file_, log_, options_.log_path, options_.quiet, german, program_);
  log_.line(program_);
  log_.line(arguments_line(arguments));
  log_.line(options_line);
}

void ProgramShell::show_progress(Msg title, Msg label, const std::string& product_title, bool german) {
  window_ = std::make_unique<ProgressWindow>(message(title, german, {product_title}), message(label, german),
                                             logo_.get());
  events_.set_first(window_.get());
}

void ProgramShell::end_progress() {
  events_.set_first(nullptr);
  window_.reset();
}
