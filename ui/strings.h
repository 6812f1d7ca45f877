#pragma once
// Localised strings from the program's string table.

#include <string>

// The string with the given id (the caller adds the language offset); at most
// 999 characters, cut at the first NUL. A missing id gives an empty string.
std::string load_localised_string(int id);
