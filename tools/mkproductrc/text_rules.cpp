#include "tools/mkproductrc/text_rules.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "core/paths.h"
#include "tools/common/cp1252.h"
#include "tools/common/name_rules.h"

namespace {

constexpr std::string_view forbidden_in_names = ":*?\"<>|";

// Length of the UTF-8 character at the start of s, or 0 when it is not valid
// UTF-8 (bad lead, cut short, bad continuation, overlong, surrogate, > U+10FFFF).
std::size_t utf8_char_length(std::string_view s, char32_t& cp) {
  const auto lead = static_cast<std::uint8_t>(s[0]);
  std::size_t length;
  if (lead < 0x80) { cp = lead; return 1; }
  if ((lead & 0xE0) == 0xC0) { length = 2; cp = lead & 0x1F; }
  else if ((lead & 0xF0) == 0xE0) { length = 3; cp = lead & 0x0F; }
  else if ((lead & 0xF8) == 0xF0) { length = 4; cp = lead & 0x07; }
  else return 0;
  if (s.size() < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<std::uint8_t>(s[k]);
    if ((next & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (next & 0x3F);
  }
  static constexpr char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < minimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

std::string code_point_name(char32_t cp) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(cp));
  return buffer;
}

std::string quoted(char c) { return c == '"' ? std::string("a double quote") : std::string("\"") + c + "\""; }

std::string separator_problem(std::string_view name) {
  const auto sep = name.find_first_of("\\/");
  if (sep == std::string_view::npos) return {};
  return "must be a single name, without " + quoted(name[sep]);
}

}  // namespace

ProgramText to_program_text(std::string_view utf8, std::size_t max_bytes) {
  ProgramText text;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const std::size_t length = utf8_char_length(utf8.substr(i), cp);
    if (length == 0) {
      text.problem = "is not valid UTF-8 (byte " + std::to_string(i + 1) + ")";
      return text;
    }
    const auto one = utf8.substr(i, length);
    if (cp < 0x20 || cp == 0x7F) {
      text.problem = "holds the control character " + code_point_name(cp);
      return text;
    }
    const auto byte = utf8_to_cp1252(one);
    if (!byte) {
      text.problem = "holds \"" + std::string(one) + "\" (" + code_point_name(cp) + "), which Windows-1252 cannot represent";
      return text;
    }
    text.bytes += *byte;
    i += length;
  }
  if (text.bytes.size() > max_bytes) {
    text.problem = "is " + std::to_string(text.bytes.size()) + " characters long in Windows-1252; at most " +
                   std::to_string(max_bytes) + " fit";
    text.bytes.clear();
  }
  return text;
}

std::string folder_name_problem(std::string_view name) {
  if (auto problem = separator_problem(name); !problem.empty()) return problem;
  return windows_name_problem(name);
}

std::string link_title_problem(std::string_view title) {
  if (auto problem = separator_problem(title); !problem.empty()) return problem;
  const std::string link = std::string(title) + ".lnk";
  const auto bad = link.find_first_of(forbidden_in_names);
  if (bad != std::string::npos) return "holds " + quoted(link[bad]) + ", which Windows does not allow in a shortcut name";
  if (!is_contained_name(link)) return "is a device name such as CON, NUL, COM1 or LPT1";
  return {};
}

std::string installed_path_problem(std::string_view path) {
  if (path.empty() || path.front() != '\\')
    return "must start with \"\\\" (it is appended to the installation folder)";
  if (path.find('/') != std::string_view::npos) return "must separate folders with \"\\\", not \"/\"";
  const auto relative = path.substr(1);
  if (is_contained_name(relative)) return {};
  std::size_t start = 0;
  while (start <= relative.size()) {
    const auto end = std::min(relative.find('\\', start), relative.size());
    const auto segment = relative.substr(start, end - start);
    if (segment.empty()) return "holds an empty folder or file name (a doubled or trailing \"\\\")";
    if (auto problem = windows_name_problem(segment); !problem.empty()) return problem;
    start = end + 1;
  }
  return "does not stay inside the installation folder";
}

std::string version_problem(std::string_view version) {
  constexpr const char* form =
      "must be 1 to 4 numbers of 0 to 65535 joined by dots, such as 1.2.0 (a version resource holds no more)";
  std::size_t parts = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(version.find('.', start), version.size());
    const std::string_view part = version.substr(start, end - start);
    if (part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string_view::npos) return form;
    if (part.size() > 1 && part.front() == '0') return "has a number with a leading zero (\"" + std::string(part) + "\")";
    if (std::stoul(std::string(part)) > 65535) return form;
    if (++parts > 4) return form;
    if (end == version.size()) return {};
    start = end + 1;
  }
}
