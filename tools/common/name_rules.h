#pragma once
// What Windows refuses, or silently changes, in a single file or folder name.

#include <string>
#include <string_view>

// Why name (Windows-1252 bytes, no separators) cannot be a file or folder
// name inside a folder: empty, a control or forbidden character, "." or "..",
// a trailing dot or blank, a device name such as CON or LPT1. Empty when it
// can. The reason is worded to follow a subject: "<name> holds ...".
std::string windows_name_problem(std::string_view name);
