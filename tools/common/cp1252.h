#pragma once
// Windows-1252, the 8-bit code page of the program's texts and file names.
// The host tools read UTF-8 (file names, product.ini) and must write exactly
// the bytes setup.exe will use.

#include <optional>
#include <string>
#include <string_view>

// The Windows-1252 bytes of a UTF-8 text; empty when the text is not valid
// UTF-8 or holds a character Windows-1252 cannot represent.
std::optional<std::string> utf8_to_cp1252(std::string_view utf8);

// The UTF-8 text of Windows-1252 bytes (the five unassigned bytes 81, 8D, 8F,
// 90, 9D become U+FFFD).
std::string cp1252_to_utf8(std::string_view cp1252);
