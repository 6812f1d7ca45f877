#pragma once
// Path operations on plain strings. "\" is the separator; nothing here looks at
// the file system, resolves "." or "..", changes letter case or converts
// separators (except the two converters at the end).

#include <string>
#include <string_view>

// The path without its last "\" and what follows it. Empty when the path holds
// fewer than two backslashes: the parent of C:\folder is empty, not C:.
std::string parent_dir(std::string_view path);

// a and b with exactly one "\" between them: one trailing "\" of a is dropped,
// and "\" is inserted unless b is empty or starts with one.
std::string join_path(std::string_view a, std::string_view b);
std::string join_path3(std::string_view a, std::string_view b, std::string_view c);

// The same, but "/" also counts as a separator on input; "\" is inserted.
std::string join_path_any(std::string_view a, std::string_view b);
std::string join_path3_any(std::string_view a, std::string_view b, std::string_view c);

// Removes one trailing "\" if there is one.
void strip_trailing_backslash(std::string& path);

void to_forward_slashes(std::string& text);
void to_backslashes(std::string& text);

// True for a relative name that stays inside the folder it is appended to: not
// empty, no leading or doubled separator, no drive or stream part (":"), no
// segment ending in "." or a blank (which covers "." and ".."), no device name
// such as CON or LPT1, no character that is never valid in a file name.
// Payload entry names must pass this before anything is written for them.
bool is_contained_name(std::string_view name);

// True when path is folder itself or lies below it. Letter case does not
// count (ASCII letters), nor a trailing "\"; both must be full paths in the
// same spelling ("\" separators, no "." or "..").
bool is_same_or_below(std::string_view path, std::string_view folder);
