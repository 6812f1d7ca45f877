#pragma once
// Message boxes of the program: the German text exactly when the language
// offset is 1000, the English one otherwise. No owner window unless given.

#include <string>

#include "core/local_text.h"

struct InstallerSettings;

// Returns the button the user pressed (IDOK, IDYES, ...), or 0 when the box
// could not be shown. style: the MB_ buttons and icon.
int show_message(const InstallerSettings& settings, const LocalText& text, unsigned style,
                 void* owner = nullptr);

// The same for a text composed at run time.
int show_message_text(const std::string& caption, const std::string& text, unsigned style,
                      void* owner = nullptr);
