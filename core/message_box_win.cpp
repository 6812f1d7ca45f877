#include "core/message_box.h"

#include <windows.h>

#include "core/settings.h"

int show_message(const InstallerSettings& settings, const LocalText& text, unsigned style, void* owner) {
  return show_message_text(text.caption, settings.german() ? text.german : text.english, style, owner);
}

int show_message_text(const std::string& caption, const std::string& text, unsigned style, void* owner) {
  return MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}
