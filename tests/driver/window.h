#pragma once
// Looking at and acting on the dialog windows (class "#32770") of another
// process: message boxes and the program's dialogs. No waiting and no
// logging here; Driver (driver.h) adds both.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace driver {

constexpr char kDialogClass[] = "#32770";
// The message of a message box is the static control with this id.
constexpr int kMessageTextId = 65535;

struct Button {
  int id = 0;
  std::string text;  // as shown, with its '&' mnemonic marker
  bool enabled = true;
};

// What a dialog showed when it was read.
struct Dialog {
  HWND hwnd = nullptr;
  DWORD pid = 0;
  std::string caption;
  // The text of the first static with id 65535: a message box's message. In
  // other dialogs that is the first label without an id of its own.
  bool has_message = false;
  std::string message;  // exact bytes in the ANSI code page, CR LF kept
  std::vector<Button> buttons;  // visible push buttons

  const Button* button(int id) const;
};

// Button ids by name: OK 1, Cancel 2, Abort 3, Retry 4, Ignore 5, Yes 6, No 7
// (case-insensitive, '&' ignored), or a decimal id.
std::optional<int> parse_button(const std::string& name);
// "OK", "Yes", ... for the standard ids, else the number.
std::string button_name(int id);

// Visible top-level dialogs, of one process or (pid 0) of all.
std::vector<HWND> visible_dialogs(DWORD pid = 0);
bool is_visible_dialog(HWND window);

// The caption, read without sending the window a message.
std::string caption_of(HWND window);
Dialog read_dialog(HWND dialog);
// One line: caption, message and buttons, escaped.
// Every visible top-level window of these processes, of any class: a
// program that must show nothing shows none of them.
std::vector<HWND> visible_windows(const std::vector<DWORD>& pids);
// Its class, caption and process, for a log.
std::string describe_window(HWND window);

std::string describe(const Dialog& dialog);

// Synchronous control access (WM_GETTEXT, WM_SETTEXT, BM_GETCHECK,
// CB_SELECTSTRING). Each gives up after a few seconds when the target does
// not answer instead of hanging.
std::optional<std::string> control_text(HWND dialog, int id);
// The acting calls refuse a control a user could not use: missing, hidden or
// disabled.
// WM_SETTEXT; for a combo box also CBN_EDITCHANGE to the dialog, as typing does.
bool set_control_text(HWND dialog, int id, const std::string& text);
std::optional<int> check_state(HWND dialog, int id);  // BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE
// Selects the entry equal to text (ignoring case) and notifies the dialog with
// CBN_SELCHANGE; gives the selected index.
std::optional<int> select_combo_entry(HWND dialog, int id, const std::string& text);

// The entries of a combo box in list order (CB_GETLBTEXT).
std::optional<std::vector<std::string>> combo_items(HWND dialog, int id);
// Changes the type of a button (BS_PUSHBUTTON, BS_AUTO3STATE, ...). A check
// box made a push button keeps no check mark: what it shows then differs from
// what the program set, as with a faulty control.
bool set_button_type(HWND dialog, int id, LONG type);

// How far a click got when the call returned.
enum class Delivery {
  failed,   // no such control, or the target is gone
  done,     // the target has handled it
  running,  // the target is still handling it, typically in a nested modal
            // loop (a button that opens another dialog or message box)
};

// How long a click waits for the target to say it has handled it.
constexpr DWORD kSettleMs = 300;

// BM_CLICK. It is sent asynchronously: a plain SendMessage would not return
// while the button's handler shows another modal window, and nobody could
// answer that window. Later synchronous calls queue behind it, so a reading
// after a click sees its effect. Waits up to settle_ms for the handler.
Delivery click_control(HWND dialog, int id, DWORD settle_ms = kSettleMs);
// WM_SYSCOMMAND SC_CLOSE, as the caption's close button.
Delivery close_window(HWND window, DWORD settle_ms = kSettleMs);

// True once the window is destroyed. A closing dialog is hidden first, but
// its owner's code goes on only after it is destroyed.
bool is_gone(HWND window);

// Sleeps up to ms while handling this thread's messages (the replies of the
// asynchronous sends arrive as messages).
void pump_for(DWORD ms);

}  // namespace driver
