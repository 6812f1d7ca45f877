#include "ui/progress_window.h"

namespace {

constexpr char window_class[] = "SetupProgress";
constexpr DWORD redraw_interval_ms = 50;
constexpr int width = 380;
constexpr int height = 270;
constexpr int margin = 10;
constexpr int bar_height = 18;

}  // namespace

ProgressWindow::ProgressWindow(const std::string& title, const std::string& label, HBITMAP logo)
    : logo_(logo), label_(label) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &ProgressWindow::procedure;
  wc.hInstance = module;
  wc.hCursor = LoadCursor(nullptr, IDC_WAIT);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = window_class;
  RegisterClassA(&wc);  // fails harmlessly when a first window registered it
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  // Above the middle of the screen, where the questions asked meanwhile
  // (message boxes, centred) leave it visible.
  const int above = GetSystemMetrics(SM_CYSCREEN) / 2 - height - 200;
  const int y = above > 0 ? above : 0;
  window_ = CreateWindowExA(0, window_class, title.c_str(), WS_POPUP | WS_CAPTION | WS_VISIBLE, x, y, width, height,
                            nullptr, nullptr, module, this);
  redraw();
}

ProgressWindow::~ProgressWindow() {
  if (window_) DestroyWindow(window_);
}

void ProgressWindow::file_started(const std::string& name, std::uint64_t bytes_before, std::uint64_t bytes_total) {
  file_ = name;
  done_ = bytes_before;
  total_ = bytes_total;
  if (GetTickCount() - last_draw_ >= redraw_interval_ms) {
    redraw();
  } else if (window_) {
    // Painted with the next messages, such as those of a question asked now.
    InvalidateRect(window_, nullptr, FALSE);
  }
}

void ProgressWindow::advanced(std::uint64_t bytes_done) {
  done_ = bytes_done;
  if (GetTickCount() - last_draw_ >= redraw_interval_ms) redraw();
}

// Paints now and answers what the system asked of the window meanwhile (the
// installation runs on the window's thread).
void ProgressWindow::redraw() {
  last_draw_ = GetTickCount();
  if (!window_) return;
  InvalidateRect(window_, nullptr, FALSE);
  UpdateWindow(window_);
  MSG message;
  while (PeekMessageA(&message, window_, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

LRESULT CALLBACK ProgressWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
  }
  const auto* self = reinterpret_cast<const ProgressWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_PAINT && self) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    self->paint(dc);
    EndPaint(window, &ps);
    return 0;
  }
  if (message == WM_CLOSE) return 0;  // the installation decides when it ends
  return DefWindowProcA(window, message, wparam, lparam);
}

void ProgressWindow::paint(HDC dc) const {
  RECT client;
  GetClientRect(window_, &client);
  // Drawn into memory first, then copied at once: no flicker.
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP canvas = CreateCompatibleBitmap(dc, client.right, client.bottom);
  HGDIOBJ old_canvas = SelectObject(memory, canvas);
  FillRect(memory, &client, GetSysColorBrush(COLOR_BTNFACE));

  int y = margin;
  BITMAP logo = {};
  if (logo_ && GetObjectA(logo_, sizeof logo, &logo)) {
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, logo_);
    const int w = static_cast<int>(client.right) - 2 * margin;
    const int h = logo.bmWidth > w ? logo.bmHeight * w / logo.bmWidth : logo.bmHeight;
    const int lw = logo.bmWidth > w ? w : logo.bmWidth;
    SetStretchBltMode(memory, HALFTONE);
    StretchBlt(memory, (client.right - lw) / 2, y, lw, h, source, 0, 0, logo.bmWidth, logo.bmHeight, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    y += h + margin;
  }

  HGDIOBJ old_font = SelectObject(memory, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(memory, TRANSPARENT);
  SetTextColor(memory, GetSysColor(COLOR_BTNTEXT));
  RECT text = {margin, y, client.right - margin, y + 16};
  DrawTextA(memory, label_.c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  text.top += 16;
  text.bottom += 16;
  DrawTextA(memory, file_.c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
  y = text.bottom + 6;

  RECT bar = {margin, y, client.right - margin, y + bar_height};
  FrameRect(memory, &bar, GetSysColorBrush(COLOR_BTNSHADOW));
  InflateRect(&bar, -2, -2);
  if (total_ > 0) {
    const std::uint64_t span = static_cast<std::uint64_t>(bar.right - bar.left);
    bar.right = bar.left + static_cast<LONG>(span * (done_ > total_ ? total_ : done_) / total_);
    FillRect(memory, &bar, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
  SelectObject(memory, old_font);

  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old_canvas);
  DeleteObject(canvas);
  DeleteDC(memory);
}
