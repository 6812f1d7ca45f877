#pragma once
// setup.exe's options, read by the one option grammar (core/option_grammar.h):
// the flag pairs U I C Y H V N S M R G F B O and Q, and the values of -L, -P,
// -p and -W, each attached to its letter.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/option_grammar.h"

struct InstallerSettings;

// What the options ask of the program's shell (ui/program_shell.h) beyond
// the settings record: both programs take them alike.
struct ShellOptions {
  bool quiet = false;    // Q: nothing shown at all; implies silent
  std::string log_path;  // W: the plain-text log of the run, empty for none
};

// setup.exe's rules.
extern const std::vector<OptionRule> setup_option_rules;

// Resets the option fields to their defaults, then applies the arguments in
// order (the program's own path is not among them), then keeps only 0 or 1000
// as language offset. A quiet run is silent too.
ShellOptions parse_options(InstallerSettings& settings, const std::vector<std::string>& arguments);

// A signed 32-bit integer: leading blanks and tabs, an optional sign, then
// decimal digits or hexadecimal digits after "$" or "0x". Nothing else may
// follow. Empty when the text is no such number or does not fit 32 bits.
std::optional<std::int32_t> parse_integer(std::string_view text);

// Only decimal digits, at most 19 of them (so the value fits 64 bits).
bool parse_decimal(std::string_view digits, std::uint64_t& value);
