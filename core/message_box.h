#pragma once
// Message boxes of the program: texts from the message catalogue
// (core/messages.h), German exactly when the run's language is, with no
// owner window unless given. The only place that shows a box; the engine
// shows none (its questions go through engine/questions.h).

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/messages.h"

// Returns the button the user pressed (IDOK, IDYES, ...), or 0 when the box
// could not be shown. style: the MB_ buttons and icon.
int show_message(Msg id, bool german, unsigned style, std::initializer_list<std::string_view> args = {},
                 void* owner = nullptr);

// The same for a text composed at run time, or under a caption of its own.
int show_message_text(const std::string& caption, const std::string& text, unsigned style, void* owner = nullptr);
