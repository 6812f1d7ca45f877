#include "setup_run.h"

#include "e2e_paths.h"
#include "tests/driver/process.h"

std::string e2e_program(const std::string& name) { return std::string(e2e_bin_dir) + "\\" + name + ".exe"; }

SetupRun run_setup(const std::string& program, const std::vector<std::string>& args, DWORD timeout_ms,
                   const std::vector<int>& answers, const DialogAnswer& answer) {
  std::string command = driver::quote_arg(program);
  for (const std::string& arg : args) command += " " + driver::quote_arg(arg);

  SetupRun result;
  driver::Process process = driver::Process::start(command);
  if (!process.started()) {
    result.log = "could not start " + command + ", error " + std::to_string(process.error());
    return result;
  }
  driver::Driver d;
  d.set_process(process.pid());
  std::size_t answered = 0;
  const driver::ExitWatch watch = d.wait_for_exit(process, timeout_ms, [&](const driver::Dialog& box) {
    if (answer && answer(d, box)) return;
    if (answered < answers.size()) {
      d.press(box, answers[answered++]);
    } else if (box.buttons.empty()) {
      d.close(box.hwnd);
    } else {
      d.press(box, box.buttons.front().id);
    }
  });
  result.finished = watch.exited;
  result.exit_code = watch.exit_code;
  result.boxes = watch.dialogs;
  result.log = d.log().text();
  return result;
}

SetupRun run_setup(const std::string& program, const std::vector<std::string>& args, DWORD timeout_ms,
                   const DialogAnswer& answer) {
  return run_setup(program, args, timeout_ms, {}, answer);
}

std::vector<std::string> journal_lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start) + " <no CR LF>");  // shows as a difference
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

int file_records(const std::vector<std::string>& lines) {
  int n = 0;
  for (const std::string& line : lines) n += line.rfind("FILE:", 0) == 0 ? 1 : 0;
  return n;
}

DialogAnswer install_into(const std::string& base) {
  return [base](driver::Driver& d, const driver::Dialog& dialog) {
    if (dialog.caption != path_dialog_caption) return false;
    d.set_text(dialog.hwnd, 302, base);
    d.click(dialog.hwnd, 320);
    return true;
  };
}
