#pragma once
// The overwrite policy: whether extraction may replace a file that already
// exists. overwrite_all replaces without asking; a silent run without it
// refuses; otherwise the user is asked with a three-button question.

#include <string>
#include <string_view>

struct InstallerSettings;

enum class OverwriteDecision { replace, refuse, ask };

// The decision for a path that exists; a path that does not is always written.
OverwriteDecision decide_overwrite(bool overwrite_all, bool silent);

constexpr const char* overwrite_caption = "Install failed";

// The question's text for path, lines separated by CR LF. Line 1 with its
// line break is cut at 255 characters.
std::string overwrite_question(bool german, std::string_view path);

// True when a file or folder exists at path (its attributes can be read).
// Named apart from the test helpers' file_exists, which means a file only.
bool path_exists(const std::string& path);

// Asks whether the existing file at path may be replaced: Yes replaces it and
// sets overwrite_all, No replaces only this one, Cancel (or a box that could
// not be shown) refuses.
bool ask_overwrite(const std::string& path, InstallerSettings& settings);
