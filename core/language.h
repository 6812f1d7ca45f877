#pragma once
// The two languages: a localised string's id is the English id plus the
// language offset, and only these two offsets survive the command line.

#include <cstdint>

constexpr std::int32_t language_english = 0;
constexpr std::int32_t language_german = 1000;
