#include "core/message_box.h"

#include <windows.h>

int show_message(Msg id, bool german, unsigned style, std::initializer_list<std::string_view> args, void* owner) {
  return show_message_text(caption(id, german), message(id, german, args), style, owner);
}

int show_message_text(const std::string& caption, const std::string& text, unsigned style, void* owner) {
  return MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}
