#pragma once
// The one option grammar of setup.exe and uninstall.exe. An argument is
// recognised by its first two characters, "-" and a letter, case
// distinguished; anything else is ignored, and a later option wins.
//
//   flag           the letter in upper case turns it on, in lower case off;
//                  anything after the two characters is ignored ("-Gx" is -G)
//   value          the rest of the argument is the value ("-PD:\Games")
//   value_or_next  the same; with nothing after the letter, the next
//                  argument is the value ("-L 1000", as the shortcuts start
//                  the uninstaller)
//
// Each program lists its options in a table of these rules (core/options.h,
// uninstall/uninstall_options.h); the README shows both in one table.

#include <string>
#include <vector>

enum class OptionKind { flag, value, value_or_next };

struct OptionRule {
  char letter;  // a flag's upper-case letter; a value option's letter as it is given
  OptionKind kind;
};

// One option as given: a flag's upper-case letter and whether it is on, or a
// value option's letter and its value.
struct OptionUse {
  char letter;
  bool on = true;
  std::string value;
};

// The arguments that are options by the rules, in order.
std::vector<OptionUse> read_options(const std::vector<std::string>& arguments, const std::vector<OptionRule>& rules);
