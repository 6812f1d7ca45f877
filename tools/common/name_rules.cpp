#include "tools/common/name_rules.h"

#include <cstdio>

#include "core/paths.h"

namespace {

constexpr std::string_view forbidden_in_names = ":*?\"<>|";

std::string quoted(char c) { return c == '"' ? std::string("a double quote") : std::string("\"") + c + "\""; }

}  // namespace

std::string windows_name_problem(std::string_view name) {
  if (name.empty()) return "holds an empty name";
  for (const char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      char code[8];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(b));
      return std::string("holds the control character ") + code;
    }
  }
  const auto bad = name.find_first_of(forbidden_in_names);
  if (bad != std::string_view::npos) return "holds " + quoted(name[bad]) + ", which Windows does not allow in a name";
  if (name == "." || name == "..") return "holds \"" + std::string(name) + "\", which would leave its folder";
  if (name.back() == '.' || name.back() == ' ')
    return "has a name ending in a dot or a blank, which Windows drops (\"" + std::string(name) + "\")";
  // is_contained_name knows the device names and is the final word.
  if (!is_contained_name(name))
    return "uses a device name such as CON, NUL, COM1 or LPT1 (\"" + std::string(name) + "\")";
  return {};
}
