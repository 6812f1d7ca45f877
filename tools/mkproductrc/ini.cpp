#include "tools/mkproductrc/ini.h"

namespace {

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

}  // namespace

IniDocument parse_ini(std::string_view text) {
  IniDocument doc;
  constexpr std::string_view bom = "\xEF\xBB\xBF";
  if (text.substr(0, bom.size()) == bom) text.remove_prefix(bom.size());

  int number = 0;
  while (!text.empty()) {
    ++number;
    const auto end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);

    const std::string_view line = trim(raw);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;

    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) {
        doc.error = "line " + std::to_string(number) + ": a section header is written [name]";
        return doc;
      }
      doc.sections.push_back({std::string(trim(line.substr(1, line.size() - 2))), number, {}});
      continue;
    }

    const auto eq = line.find('=');
    const std::string_view key = eq == std::string_view::npos ? std::string_view() : trim(line.substr(0, eq));
    if (key.empty()) {
      doc.error = "line " + std::to_string(number) + ": expected [section], key = value or a comment";
      return doc;
    }
    IniEntry entry{std::string(key), std::string(trim(line.substr(eq + 1))), number};
    (doc.sections.empty() ? doc.loose : doc.sections.back().entries).push_back(std::move(entry));
  }
  return doc;
}
