#pragma once
// The argument text the game and its uninstaller receive from their shortcuts
// and from the Add/Remove Programs entry: "-L <language offset>" and, unless
// the user opted out of data sharing, "-P" with the all-users data folder.
//
// Nothing is cut: a cut folder would name another folder. The folder is
// quoted by the rules Windows programs use to split their command line, so a
// folder ending in "\" reaches the program exactly: its trailing backslashes
// are doubled before the closing quote (otherwise `"C:\Data\"` would escape
// the quote).

#include <cstdint>
#include <string>
#include <string_view>

// One argument in double quotes, as the command-line parser of the C runtime
// and CommandLineToArgvW read it back unchanged. Windows paths hold no '"'.
std::string quote_argument(std::string_view argument);

std::string build_launch_args(std::int32_t language_offset, bool no_data_sharing, std::string_view common_appdata_dir);
