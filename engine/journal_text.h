#pragma once
// Reading log_inst.dat back: one record per line, each ending CR LF, at most
// 255 8-bit characters. A file the setup wrote has no other shape, so a line
// that breaks it (too long, a zero byte, a bare CR or LF, the last line cut
// short) is not taken as a record: it is reported instead.

#include <string>
#include <string_view>
#include <vector>

enum class LineProblem {
  none,
  too_long,    // over 255 characters
  zero_byte,   // holds a NUL
  line_break,  // a CR or LF alone inside the line
  cut_short,   // the last line, without CR LF
};

struct JournalLine {
  std::string text;
  LineProblem problem = LineProblem::none;
};

std::vector<JournalLine> parse_journal_text(std::string_view bytes);
