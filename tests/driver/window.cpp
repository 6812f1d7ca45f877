#include "tests/driver/window.h"

#include <algorithm>

#include <cstdio>
#include <utility>

#include "tests/driver/log.h"

namespace driver {

namespace {

// Synchronous sends give up after this long, or at once when the target
// thread is hung.
constexpr UINT kSendTimeoutMs = 5000;

struct StandardButton {
  int id;
  const char* name;
};
constexpr StandardButton kStandardButtons[] = {
    {IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDABORT, "Abort"}, {IDRETRY, "Retry"},
    {IDIGNORE, "Ignore"}, {IDYES, "Yes"}, {IDNO, "No"},
};

std::string class_of(HWND window) {
  char name[64] = {};
  const int n = GetClassNameA(window, name, sizeof name);
  return std::string(name, n > 0 ? n : 0);
}

bool same_text_ignoring_case(const std::string& a, const std::string& b) {
  return a.size() == b.size() && lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

bool send_sync(HWND target, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(target, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer)) {
    return false;
  }
  *result = static_cast<LRESULT>(answer);
  return true;
}

// The reply of an asynchronous send. Owned by whoever sees the end last: the
// sender when the reply came in time, else the reply callback.
struct PendingReply {
  bool replied = false;
  bool abandoned = false;
};

void CALLBACK on_reply(HWND, UINT, ULONG_PTR data, LRESULT) {
  auto* pending = reinterpret_cast<PendingReply*>(data);
  if (pending->abandoned) {
    delete pending;
  } else {
    pending->replied = true;
  }
}

Delivery send_async(HWND target, UINT message, WPARAM wparam, LPARAM lparam, DWORD settle_ms = kSettleMs) {
  auto* pending = new PendingReply;
  if (!SendMessageCallbackA(target, message, wparam, lparam, on_reply, reinterpret_cast<ULONG_PTR>(pending))) {
    delete pending;
    return Delivery::failed;
  }
  const DWORD start = GetTickCount();
  pump_for(0);  // a reply that is already there
  while (!pending->replied && GetTickCount() - start < settle_ms) pump_for(5);
  if (pending->replied) {
    delete pending;
    return Delivery::done;
  }
  pending->abandoned = true;
  return Delivery::running;
}

std::string window_text(HWND window) {
  LRESULT length = 0;
  if (send_sync(window, WM_GETTEXTLENGTH, 0, 0, &length) && length >= 0) {
    // The length may count UTF-16 units; twice that is enough for any ANSI page.
    std::string text(static_cast<size_t>(length) * 2 + 1, '\0');
    LRESULT copied = 0;
    if (send_sync(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &copied) && copied >= 0) {
      text.resize(static_cast<size_t>(copied));
      return text;
    }
  }
  // Not answering: the text the window manager keeps is still right for
  // statics and buttons.
  return caption_of(window);
}

bool is_push_button(HWND child) {
  const LONG type = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool is_text_static(HWND child) {
  const LONG type = GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK;
  return type != SS_ICON && type != SS_BITMAP && type != SS_ENHMETAFILE;
}

// The control a user could click: present, visible and enabled.
HWND usable_control(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control || !IsWindowVisible(control) || !IsWindowEnabled(control)) return nullptr;
  return control;
}

BOOL CALLBACK collect_dialog(HWND window, LPARAM data) {
  auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>*>*>(data);
  if (!is_visible_dialog(window)) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (found->first == 0 || found->first == pid) found->second->push_back(window);
  return TRUE;
}

}  // namespace

const Button* Dialog::button(int id) const {
  for (const Button& b : buttons) {
    if (b.id == id) return &b;
  }
  return nullptr;
}

std::optional<int> parse_button(const std::string& name) {
  std::string plain;
  for (const char c : name) {
    if (c != '&') plain += c;
  }
  for (const StandardButton& b : kStandardButtons) {
    if (same_text_ignoring_case(plain, b.name)) return b.id;
  }
  if (plain.empty() || plain.size() > 5 || plain.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  int id = 0;
  for (const char c : plain) id = id * 10 + (c - '0');
  if (id > 65535) return std::nullopt;
  return id;
}

std::string button_name(int id) {
  for (const StandardButton& b : kStandardButtons) {
    if (b.id == id) return b.name;
  }
  return std::to_string(id);
}

std::vector<HWND> visible_dialogs(DWORD pid) {
  std::vector<HWND> windows;
  std::pair<DWORD, std::vector<HWND>*> filter(pid, &windows);
  EnumWindows(collect_dialog, reinterpret_cast<LPARAM>(&filter));
  return windows;
}

namespace {

using WindowFilter = std::pair<const std::vector<DWORD>*, std::vector<HWND>>;

BOOL CALLBACK collect_window(HWND window, LPARAM param) {
  auto& [wanted, windows] = *reinterpret_cast<WindowFilter*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (IsWindowVisible(window) && std::find(wanted->begin(), wanted->end(), pid) != wanted->end()) {
    windows.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> visible_windows(const std::vector<DWORD>& pids) {
  WindowFilter found(&pids, {});
  EnumWindows(collect_window, reinterpret_cast<LPARAM>(&found));
  return found.second;
}

std::string describe_window(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return "window of class \"" + class_of(window) + "\" \"" + caption_of(window) + "\" of process " +
         std::to_string(pid);
}

bool is_visible_dialog(HWND window) {
  return IsWindow(window) && IsWindowVisible(window) && class_of(window) == kDialogClass;
}

std::string caption_of(HWND window) {
  char text[1024];
  const int n = GetWindowTextA(window, text, sizeof text);
  return std::string(text, n > 0 ? n : 0);
}

Dialog read_dialog(HWND dialog) {
  Dialog d;
  d.hwnd = dialog;
  GetWindowThreadProcessId(dialog, &d.pid);
  d.caption = caption_of(dialog);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::string cls = class_of(child);
    // The id is a 16-bit field in dialog templates; some give 65535 as -1.
    const int id = GetDlgCtrlID(child) & 0xFFFF;
    if (!d.has_message && id == kMessageTextId && same_text_ignoring_case(cls, "Static") && is_text_static(child)) {
      d.has_message = true;
      d.message = window_text(child);
    } else if (same_text_ignoring_case(cls, "Button") && IsWindowVisible(child) && is_push_button(child)) {
      d.buttons.push_back({id, window_text(child), IsWindowEnabled(child) != FALSE});
    }
  }
  return d;
}

std::string describe(const Dialog& d) {
  char pid[32];
  std::snprintf(pid, sizeof pid, "%lu", static_cast<unsigned long>(d.pid));
  std::string out = "\"" + escape(d.caption) + "\" (pid " + pid + "): ";
  out += d.has_message ? "message \"" + escape(d.message) + "\"" : "no message";
  out += "; buttons";
  if (d.buttons.empty()) out += " none";
  for (size_t i = 0; i < d.buttons.size(); ++i) {
    const Button& b = d.buttons[i];
    out += (i == 0 ? " " : ", ") + std::to_string(b.id) + " \"" + escape(b.text) + "\"" + (b.enabled ? "" : " (disabled)");
  }
  return out;
}

std::optional<std::string> control_text(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return std::nullopt;
  return window_text(control);
}

bool set_control_text(HWND dialog, int id, const std::string& text) {
  HWND control = usable_control(dialog, id);
  LRESULT result = 0;
  if (!control || !send_sync(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &result) ||
      result <= 0) {
    return false;
  }
  if (same_text_ignoring_case(class_of(control), "ComboBox")) {
    const WPARAM notify = MAKEWPARAM(id, CBN_EDITCHANGE);
    return send_async(dialog, WM_COMMAND, notify, reinterpret_cast<LPARAM>(control)) != Delivery::failed;
  }
  return true;
}

std::optional<int> check_state(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  LRESULT state = 0;
  if (!control || !send_sync(control, BM_GETCHECK, 0, 0, &state)) return std::nullopt;
  return static_cast<int>(state);
}

std::optional<std::vector<std::string>> combo_items(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  LRESULT count = 0;
  if (!control || !send_sync(control, CB_GETCOUNT, 0, 0, &count) || count < 0) return std::nullopt;
  std::vector<std::string> items;
  for (LRESULT i = 0; i < count; ++i) {
    // Read as UTF-16: Wine hands another process's entries over in UTF-16
    // even to CB_GETLBTEXT of the ANSI interface.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length) ||
        static_cast<LRESULT>(length) < 0) {
      return std::nullopt;
    }
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&wide[0]),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied) ||
        static_cast<LRESULT>(copied) < 0) {
      return std::nullopt;
    }
    wide.resize(static_cast<size_t>(copied));
    std::string text(wide.size() * 2 + 1, '\0');
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0],
                                      static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    items.push_back(text);
  }
  return items;
}

bool set_button_type(HWND dialog, int id, LONG type) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return false;
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  SetLastError(0);
  return SetWindowLongA(control, GWL_STYLE, (style & ~BS_TYPEMASK) | type) != 0 || GetLastError() == 0;
}

std::optional<int> select_combo_entry(HWND dialog, int id, const std::string& text) {
  HWND control = usable_control(dialog, id);
  LRESULT index = CB_ERR;
  if (!control ||
      !send_sync(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()),
                 &index) ||
      index == CB_ERR) {
    return std::nullopt;
  }
  LRESULT selected = CB_ERR;
  if (!send_sync(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &selected) || selected != index) {
    return std::nullopt;
  }
  // CB_SETCURSEL does not notify; a user's choice does.
  const WPARAM notify = MAKEWPARAM(id, CBN_SELCHANGE);
  if (send_async(dialog, WM_COMMAND, notify, reinterpret_cast<LPARAM>(control)) == Delivery::failed) {
    return std::nullopt;
  }
  return static_cast<int>(index);
}

Delivery click_control(HWND dialog, int id, DWORD settle_ms) {
  HWND control = usable_control(dialog, id);
  if (!control) return Delivery::failed;
  return send_async(control, BM_CLICK, 0, 0, settle_ms);
}

Delivery close_window(HWND window, DWORD settle_ms) {
  if (!IsWindow(window)) return Delivery::failed;
  return send_async(window, WM_SYSCOMMAND, SC_CLOSE, 0, settle_ms);
}

bool is_gone(HWND window) { return !IsWindow(window); }

void pump_for(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
  }
}

}  // namespace driver
