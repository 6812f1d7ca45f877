#pragma once
// Command-line options. An argument is recognised by its first two characters
// (case matters); the rest is its value. Flags: upper case turns an option on,
// lower case off. Unknown arguments are ignored; a later option wins.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct InstallerSettings;

// Resets the option fields to their defaults, then applies the arguments in
// order (the program's own path is not among them), then keeps only 0 or 1000
// as language offset.
void parse_options(InstallerSettings& settings, const std::vector<std::string>& arguments);

// A signed 32-bit integer: leading blanks and tabs, an optional sign, then
// decimal digits or hexadecimal digits after "$" or "0x". Nothing else may
// follow. Empty when the text is no such number or does not fit 32 bits.
std::optional<std::int32_t> parse_integer(std::string_view text);

// Only decimal digits, at most 19 of them (so the value fits 64 bits).
bool parse_decimal(std::string_view digits, std::uint64_t& value);
