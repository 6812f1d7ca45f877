// show_box.exe: the program under test for the driver's own tests.
//
//   show_box [--delay MS] [--stamp FILE] box CAPTION TEXT [TYPE]
//       MessageBoxA without owner; exits with its result. CAPTION and TEXT
//       take the driver's escapes (\r \n \\ \xNN). TYPE: ok, okcancel,
//       abortretryignore, yesnocancel, yesno, retrycancel or decimal flags.
//       --stamp writes when the box was created and activated
//       (QueryPerformanceCounter ticks) to FILE after it closes.
//   show_box [--delay MS] dialog
//       The dialog of show_box.rc; exits with 1 (OK), 2 (Cancel) or 99
//       (closed); on OK prints the state of its controls.
//   show_box [--delay MS] exit CODE
//       Shows nothing and exits with CODE.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/driver/log.h"
#include "tests/driver/tests/show_box_ids.h"

namespace {

struct BoxType {
  const char* name;
  UINT flags;
};
constexpr BoxType kTypes[] = {
    {"ok", MB_OK}, {"okcancel", MB_OKCANCEL}, {"abortretryignore", MB_ABORTRETRYIGNORE},
    {"yesnocancel", MB_YESNOCANCEL}, {"yesno", MB_YESNO}, {"retrycancel", MB_RETRYCANCEL},
};

LARGE_INTEGER g_created = {};
LARGE_INTEGER g_activated = {};

bool is_dialog(HWND window) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  return std::strcmp(name, "#32770") == 0;
}

LRESULT CALLBACK stamp_hook(int code, WPARAM wparam, LPARAM lparam) {
  HWND window = reinterpret_cast<HWND>(wparam);
  if (code == HCBT_CREATEWND && g_created.QuadPart == 0 && is_dialog(window)) QueryPerformanceCounter(&g_created);
  if (code == HCBT_ACTIVATE && g_activated.QuadPart == 0 && is_dialog(window)) QueryPerformanceCounter(&g_activated);
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

int usage() {
  std::fputs("usage: show_box [--delay MS] [--stamp FILE] box CAPTION TEXT [TYPE] | dialog | exit CODE\n", stderr);
  return 255;
}

int show_box(const char* caption_arg, const char* text_arg, const char* type_arg, const char* stamp_path) {
  const auto caption = driver::unescape(caption_arg);
  const auto text = driver::unescape(text_arg);
  if (!caption || !text) return usage();
  UINT flags = MB_OK;
  if (type_arg) {
    bool named = false;
    for (const BoxType& t : kTypes) {
      if (std::strcmp(type_arg, t.name) == 0) {
        flags = t.flags;
        named = true;
      }
    }
    if (!named) flags = static_cast<UINT>(std::strtoul(type_arg, nullptr, 10));
  }
  HHOOK hook = stamp_path ? SetWindowsHookExA(WH_CBT, stamp_hook, nullptr, GetCurrentThreadId()) : nullptr;
  const int result = MessageBoxA(nullptr, text->c_str(), caption->c_str(), flags);
  if (hook) UnhookWindowsHookEx(hook);
  if (stamp_path) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    if (std::FILE* f = std::fopen(stamp_path, "w")) {
      std::fprintf(f, "%lld %lld %lld\n", static_cast<long long>(g_created.QuadPart),
                   static_cast<long long>(g_activated.QuadPart), static_cast<long long>(frequency.QuadPart));
      std::fclose(f);
    }
  }
  return result;
}

std::string item_text(HWND dialog, int id) {
  char text[512];
  const UINT n = GetDlgItemTextA(dialog, id, text, sizeof text);
  return std::string(text, n);
}

void report(HWND dialog) {
  std::printf("name=%s\n", item_text(dialog, IDC_NAME).c_str());
  std::printf("option=%u\n", IsDlgButtonChecked(dialog, IDC_OPTION));
  std::printf("three=%u\n", IsDlgButtonChecked(dialog, IDC_THREE));
  std::printf("language=%s\n", item_text(dialog, IDC_LANGUAGE).c_str());
  std::fflush(stdout);
}

void combo_changed(HWND dialog, WORD notification) {
  HWND combo = GetDlgItem(dialog, IDC_LANGUAGE);
  std::string status;
  if (notification == CBN_SELCHANGE) {
    const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    char entry[256] = {};
    if (index != CB_ERR) SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(entry));
    status = std::string("selected ") + entry;
  } else if (notification == CBN_EDITCHANGE) {
    status = "typed " + item_text(dialog, IDC_LANGUAGE);
    SetDlgItemInt(dialog, IDC_EDITS, GetDlgItemInt(dialog, IDC_EDITS, nullptr, FALSE) + 1, FALSE);
  } else {
    return;
  }
  SetDlgItemTextA(dialog, IDC_STATUS, status.c_str());
}

INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      HWND combo = GetDlgItem(dialog, IDC_LANGUAGE);
      for (const char* entry : {"English", "Deutsch", "Français"}) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
      }
      SetDlgItemTextA(dialog, IDC_NAME, "C:\\Spiele");
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
          report(dialog);
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case IDC_NESTED: {
          if (HIWORD(wparam) != BN_CLICKED) return FALSE;
          const int answer = MessageBoxA(dialog, "Wirklich fortfahren?", "Nested", MB_YESNO);
          SetDlgItemTextA(dialog, IDC_ANSWER, ("answer " + std::to_string(answer)).c_str());
          return TRUE;
        }
        case IDC_LANGUAGE:
          combo_changed(dialog, HIWORD(wparam));
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(dialog, DRIVER_TEST_CLOSED);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  int i = 1;
  const char* stamp_path = nullptr;
  DWORD delay = 0;
  for (; i + 1 < argc && argv[i][0] == '-' && argv[i][1] == '-'; i += 2) {
    if (std::strcmp(argv[i], "--delay") == 0) {
      delay = std::strtoul(argv[i + 1], nullptr, 10);
    } else if (std::strcmp(argv[i], "--stamp") == 0) {
      stamp_path = argv[i + 1];
    } else {
      return usage();
    }
  }
  if (i >= argc) return usage();
  Sleep(delay);
  const std::string mode = argv[i];
  if (mode == "box" && (argc - i == 3 || argc - i == 4)) {
    return show_box(argv[i + 1], argv[i + 2], argc - i == 4 ? argv[i + 3] : nullptr, stamp_path);
  }
  if (mode == "dialog" && argc - i == 1) {
    return static_cast<int>(
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_DRIVER_TEST), nullptr, dialog_proc, 0));
  }
  if (mode == "exit" && argc - i == 2) return std::atoi(argv[i + 1]);
  return usage();
}
