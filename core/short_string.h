#pragma once
// A short string holds at most 255 8-bit characters: the paths handed between
// operations and the journal records. Texts that are only shown or stored are
// cut to that length. Anything that creates, moves or deletes something at a
// composed path checks with fits_short first and refuses instead: the cut
// path would name a different file than the one meant.

#include <cstddef>
#include <string>
#include <string_view>

constexpr std::size_t short_string_max = 255;

inline std::string cut_short(std::string_view s) {
  return std::string(s.substr(0, short_string_max));
}

inline bool fits_short(std::string_view s) { return s.size() <= short_string_max; }
