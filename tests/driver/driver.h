#pragma once
// The test driver: plays the user for a program that runs beside the test in
// the same Wine prefix. It waits for the program's dialogs and message boxes
// (top-level windows of class "#32770", matched by exact caption and counted
// only once visible), reads them, presses their buttons, fills in fields and
// logs every window it sees or touches.
//
//   driver::Process setup = driver::Process::start(driver::command_line({exe, "-G"}));
//   driver::Driver d;
//   d.set_process(setup.pid());
//   auto box = d.wait_dialog("Install complete");
//   ASSERT_TRUE(box) << d.log().text();
//   EXPECT_EQ(box->message, "...");
//   EXPECT_TRUE(d.press(*box, IDOK));
//   auto end = d.wait_for_exit(setup, 10000);
//
// Every wait polls every 50 ms and gives up after its timeout; nothing here
// blocks on a window that does not answer.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/driver/log.h"
#include "tests/driver/process.h"
#include "tests/driver/window.h"

namespace driver {

constexpr DWORD kPollMs = 50;
constexpr DWORD kDefaultTimeoutMs = 10000;

struct ExitWatch {
  bool exited = false;
  DWORD exit_code = 0;
  std::vector<Dialog> dialogs;  // each dialog seen while waiting, in order
  // With watch_windows: each visible top-level window of any class that the
  // process or a process it started showed while waiting, described.
  std::vector<std::string> windows;
};

class Driver {
 public:
  Driver() = default;
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  // The timeout of every wait that takes none; 10 s unless set.
  void set_timeout(DWORD ms) { timeout_ms_ = ms; }
  DWORD timeout() const { return timeout_ms_; }
  // Only windows of this process count (0: any process).
  void set_process(DWORD pid) { pid_ = pid; }
  // wait_for_exit also looks for any visible top-level window of the process
  // and of the processes it started, at every poll.
  void watch_windows(bool on) { watch_windows_ = on; }
  Log& log() { return log_; }

  // Waits for a visible dialog with exactly this caption and reads it. On a
  // timeout the log lists the dialogs that were visible instead.
  std::optional<Dialog> wait_dialog(const std::string& caption);
  std::optional<Dialog> wait_dialog(const std::string& caption, DWORD timeout_ms);
  // Waits until the window is destroyed.
  bool wait_gone(HWND window);
  // Waits until no visible dialog has this caption.
  bool wait_no_dialog(const std::string& caption);
  // The visible dialogs right now, read.
  std::vector<Dialog> dialogs();

  // Clicks a button and waits until the box (or dialog) is destroyed, that
  // is until the code that showed it goes on.
  bool press(const Dialog& box, int button_id);
  // Clicks a control; true once the dialog has it, even when its handler is
  // still busy with a window of its own.
  bool click(HWND dialog, int id);
  bool set_text(HWND dialog, int id, const std::string& text);
  std::optional<std::string> text(HWND dialog, int id);
  std::optional<int> check_state(HWND dialog, int id);
  // Clicks a check box (at most three times, for three-state boxes) until it
  // reports state; false if it never does.
  bool set_check(HWND dialog, int id, int state);
  // Selects the combo box entry equal to entry, as a user's choice.
  bool select(HWND dialog, int id, const std::string& entry);
  // WM_SYSCOMMAND SC_CLOSE, then waits until the window is destroyed.
  bool close(HWND window);

  // Waits up to timeout_ms for the process to end. Each dialog it shows
  // meanwhile is logged once and handed to on_dialog, which may answer it; a
  // test that expects no dialog checks that the result lists none.
  ExitWatch wait_for_exit(const Process& process, DWORD timeout_ms,
                          const std::function<void(const Dialog&)>& on_dialog = {});
  ExitWatch wait_for_exit(HANDLE process, DWORD pid, DWORD timeout_ms,
                          const std::function<void(const Dialog&)>& on_dialog = {});

 private:
  std::string where(HWND dialog, int id);
  bool wait_until_gone(HWND window, const std::string& what);

  DWORD timeout_ms_ = kDefaultTimeoutMs;
  DWORD pid_ = 0;
  bool watch_windows_ = false;
  Log log_;
};

}  // namespace driver
