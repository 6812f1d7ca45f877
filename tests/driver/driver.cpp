#include "tests/driver/driver.h"

#include <algorithm>

namespace driver {

namespace {

std::string quoted(const std::string& text) { return "\"" + escape(text) + "\""; }

std::string ms(DWORD value) { return std::to_string(value) + " ms"; }

const char* delivery_name(Delivery d) {
  switch (d) {
    case Delivery::done: return "handled";
    case Delivery::running: return "handler still running";
    case Delivery::failed: break;
  }
  return "failed";
}

}  // namespace

std::optional<Dialog> Driver::wait_dialog(const std::string& caption) { return wait_dialog(caption, timeout_ms_); }

std::optional<Dialog> Driver::wait_dialog(const std::string& caption, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    for (HWND window : visible_dialogs(pid_)) {
      if (caption_of(window) != caption) continue;
      Dialog d = read_dialog(window);
      log_.write("found " + describe(d) + " after " + ms(GetTickCount() - start));
      return d;
    }
    if (GetTickCount() - start >= timeout_ms) break;
    pump_for(kPollMs);
  }
  log_.write("timeout: no dialog " + quoted(caption) + " within " + ms(timeout_ms));
  // Of any process: a wrong process filter is a likely cause.
  for (HWND window : visible_dialogs(0)) log_.write("  visible instead: " + describe(read_dialog(window)));
  return std::nullopt;
}

bool Driver::wait_gone(HWND window) { return wait_until_gone(window, quoted(caption_of(window))); }

bool Driver::wait_until_gone(HWND window, const std::string& what) {
  const DWORD start = GetTickCount();
  while (!is_gone(window)) {
    if (GetTickCount() - start >= timeout_ms_) {
      log_.write("timeout: " + what + (IsWindowVisible(window) ? " still open" : " hidden but not destroyed") +
                 " after " + ms(timeout_ms_));
      return false;
    }
    pump_for(kPollMs);
  }
  log_.write("closed " + what + " after " + ms(GetTickCount() - start));
  return true;
}

bool Driver::wait_no_dialog(const std::string& caption) {
  const DWORD start = GetTickCount();
  for (;;) {
    const std::vector<HWND> windows = visible_dialogs(pid_);
    const bool present = std::any_of(windows.begin(), windows.end(),
                                     [&](HWND w) { return caption_of(w) == caption; });
    if (!present) break;
    if (GetTickCount() - start >= timeout_ms_) {
      log_.write("timeout: dialog " + quoted(caption) + " still open after " + ms(timeout_ms_));
      return false;
    }
    pump_for(kPollMs);
  }
  log_.write("no dialog " + quoted(caption) + " after " + ms(GetTickCount() - start));
  return true;
}

std::vector<Dialog> Driver::dialogs() {
  std::vector<Dialog> out;
  for (HWND window : visible_dialogs(pid_)) out.push_back(read_dialog(window));
  return out;
}

std::string Driver::where(HWND dialog, int id) { return std::to_string(id) + " in " + quoted(caption_of(dialog)); }

bool Driver::press(const Dialog& box, int button_id) {
  const std::string what = button_name(button_id) + " (" + std::to_string(button_id) + ") in " + quoted(box.caption);
  // No waiting for the handler: the window going away is the answer.
  const Delivery d = click_control(box.hwnd, button_id, 0);
  if (d == Delivery::failed) {
    std::string buttons;
    if (IsWindow(box.hwnd)) buttons = "; now " + describe(read_dialog(box.hwnd));
    log_.write("press " + what + ": no such button to press" + buttons);
    return false;
  }
  log_.write("press " + what);
  return wait_until_gone(box.hwnd, quoted(box.caption));
}

bool Driver::click(HWND dialog, int id) {
  const Delivery d = click_control(dialog, id);
  log_.write("click " + where(dialog, id) + ": " + delivery_name(d));
  return d != Delivery::failed;
}

bool Driver::set_text(HWND dialog, int id, const std::string& text) {
  const bool ok = set_control_text(dialog, id, text);
  log_.write("set text of " + where(dialog, id) + " to " + quoted(text) + (ok ? "" : ": failed"));
  return ok;
}

std::optional<std::string> Driver::text(HWND dialog, int id) {
  std::optional<std::string> value = control_text(dialog, id);
  log_.write("text of " + where(dialog, id) + ": " + (value ? quoted(*value) : "no such control"));
  return value;
}

std::optional<int> Driver::check_state(HWND dialog, int id) {
  std::optional<int> state = driver::check_state(dialog, id);
  log_.write("check state of " + where(dialog, id) + ": " + (state ? std::to_string(*state) : "no such control"));
  return state;
}

bool Driver::set_check(HWND dialog, int id, int state) {
  for (int clicks = 0; clicks <= 3; ++clicks) {
    const std::optional<int> now = driver::check_state(dialog, id);
    if (now && *now == state) {
      log_.write("check " + where(dialog, id) + " to " + std::to_string(state) + ": done with " +
                 std::to_string(clicks) + " click(s)");
      return true;
    }
    if (!now || clicks == 3 || click_control(dialog, id) == Delivery::failed) break;
  }
  log_.write("check " + where(dialog, id) + " to " + std::to_string(state) + ": failed");
  return false;
}

bool Driver::select(HWND dialog, int id, const std::string& entry) {
  const std::optional<int> index = select_combo_entry(dialog, id, entry);
  log_.write("select " + quoted(entry) + " in " + where(dialog, id) + ": " +
             (index ? "entry " + std::to_string(*index) : "failed"));
  return index.has_value();
}

bool Driver::close(HWND window) {
  const std::string what = quoted(caption_of(window));
  const Delivery d = close_window(window, 0);
  if (d == Delivery::failed) {
    log_.write("close " + what + ": no such window");
    return false;
  }
  log_.write("close " + what);
  return wait_until_gone(window, what);
}

ExitWatch Driver::wait_for_exit(const Process& process, DWORD timeout_ms,
                                const std::function<void(const Dialog&)>& on_dialog) {
  return wait_for_exit(process.handle(), process.pid(), timeout_ms, on_dialog);
}

ExitWatch Driver::wait_for_exit(HANDLE process, DWORD pid, DWORD timeout_ms,
                                const std::function<void(const Dialog&)>& on_dialog) {
  ExitWatch watch;
  if (!process) {
    log_.write("wait for exit: no process");
    return watch;
  }
  std::vector<HWND> seen;
  std::vector<HWND> seen_windows;
  const DWORD start = GetTickCount();
  for (;;) {
    if (watch_windows_) {
      for (HWND window : visible_windows(process_tree(pid))) {
        if (std::find(seen_windows.begin(), seen_windows.end(), window) != seen_windows.end()) continue;
        seen_windows.push_back(window);
        watch.windows.push_back(describe_window(window));
        log_.write("seen while waiting for exit: " + watch.windows.back());
      }
    }
    for (HWND window : visible_dialogs(pid)) {
      if (std::find(seen.begin(), seen.end(), window) != seen.end()) continue;
      seen.push_back(window);
      watch.dialogs.push_back(read_dialog(window));
      log_.write("seen while waiting for exit: " + describe(watch.dialogs.back()));
      if (on_dialog) on_dialog(watch.dialogs.back());
    }
    const DWORD elapsed = GetTickCount() - start;
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
      watch.exited = true;
      GetExitCodeProcess(process, &watch.exit_code);
      log_.write("process " + std::to_string(pid) + " exited with " + std::to_string(watch.exit_code) + " after " +
                 ms(elapsed));
      return watch;
    }
    if (elapsed >= timeout_ms) break;
    // Wakes at once when the process ends.
    if (MsgWaitForMultipleObjects(1, &process, FALSE, kPollMs, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) pump_for(0);
  }
  log_.write("timeout: process " + std::to_string(pid) + " still running after " + ms(timeout_ms));
  return watch;
}

}  // namespace driver
