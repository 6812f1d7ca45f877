#include "engine/journal_text.h"

#include "core/short_string.h"

std::vector<JournalLine> parse_journal_text(std::string_view bytes) {
  std::vector<JournalLine> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    JournalLine line;
    const std::string_view text = bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    line.text = std::string(text);
    if (end == std::string_view::npos) {
      line.problem = LineProblem::cut_short;
    } else if (text.find('\0') != std::string_view::npos) {
      line.problem = LineProblem::zero_byte;
    } else if (text.find_first_of("\r\n") != std::string_view::npos) {
      line.problem = LineProblem::line_break;
    } else if (!fits_short(text)) {
      line.problem = LineProblem::too_long;
    }
    lines.push_back(std::move(line));
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  return lines;
}
