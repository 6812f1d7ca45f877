#include "core/paths.h"

#include <algorithm>
#include <array>
#include <cctype>

std::string parent_dir(std::string_view path) {
  const auto last = path.rfind('\\');
  if (last == std::string_view::npos) return {};
  if (path.find('\\') < last) return std::string(path.substr(0, last));
  return {};
}

namespace {

std::string join_with(std::string_view a, std::string_view b, bool slash_too) {
  const auto is_separator = [slash_too](char c) { return c == '\\' || (slash_too && c == '/'); };
  std::string r(a);
  if (!r.empty() && is_separator(r.back())) r.pop_back();
  if (!b.empty() && !is_separator(b.front())) r += '\\';
  r += b;
  return r;
}

bool is_device_name(std::string_view segment) {
  // A device name is reserved with any extension and with blanks before it:
  // "nul.txt" and "nul .txt" open NUL too.
  auto stem = segment.substr(0, segment.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  std::string upper(stem);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  static constexpr std::array<std::string_view, 6> fixed = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  if (std::find(fixed.begin(), fixed.end(), upper) != fixed.end()) return true;
  if (upper.size() != 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0)) return false;
  // The digits 1 to 9, and the superscripts one, two and three of Windows-1252.
  const auto digit = static_cast<unsigned char>(upper[3]);
  return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

}  // namespace

std::string join_path(std::string_view a, std::string_view b) { return join_with(a, b, false); }

std::string join_path3(std::string_view a, std::string_view b, std::string_view c) {
  return join_path(join_path(a, b), c);
}

std::string join_path_any(std::string_view a, std::string_view b) { return join_with(a, b, true); }

std::string join_path3_any(std::string_view a, std::string_view b, std::string_view c) {
  return join_path_any(join_path_any(a, b), c);
}

void strip_trailing_backslash(std::string& path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
}

void to_forward_slashes(std::string& text) { std::replace(text.begin(), text.end(), '\\', '/'); }

void to_backslashes(std::string& text) { std::replace(text.begin(), text.end(), '/', '\\'); }

bool is_contained_name(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name) {
    // ":" would name a drive or a stream; the others are never valid in a name.
    if (static_cast<unsigned char>(c) < 32 || std::string_view(":*?\"<>|").find(c) != std::string_view::npos)
      return false;
  }
  std::size_t start = 0;
  while (start <= name.size()) {
    const auto end = std::min(name.find_first_of("\\/", start), name.size());
    const auto segment = name.substr(start, end - start);
    // Windows drops trailing dots and blanks of a segment, so "..." or ". " could
    // still climb out; such names are refused along with "." and "..".
    if (segment.empty() || segment.back() == '.' || segment.back() == ' ' || is_device_name(segment))
      return false;
    start = end + 1;
  }
  return true;
}

bool is_same_or_below(std::string_view path, std::string_view folder) {
  while (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (folder.empty() || path.size() < folder.size()) return false;
  for (std::size_t i = 0; i < folder.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(path[i])) != std::toupper(static_cast<unsigned char>(folder[i])))
      return false;
  }
  return path.size() == folder.size() || path[folder.size()] == '\\';
}
