#pragma once
// A small INI reader for product.ini: "[section]" headers, "key = value"
// lines, comment lines starting with ";" or "#", blank lines, LF or CR LF line
// ends and an optional UTF-8 byte order mark. Blanks and tabs around names and
// values are dropped. A value is everything after the first "=", so ";" and
// "#" inside a value are text, not comments, and quotes are kept as written.
// Bytes are passed through; checking their encoding is the caller's job.

#include <string>
#include <string_view>
#include <vector>

struct IniEntry {
  std::string key;
  std::string value;
  int line = 0;  // counted from 1
};

struct IniSection {
  std::string name;
  int line = 0;
  std::vector<IniEntry> entries;  // in file order
};

struct IniDocument {
  std::vector<IniEntry> loose;       // entries before the first section header
  std::vector<IniSection> sections;  // in file order; a repeated header opens another one
  std::string error;                 // names the first malformed line; empty when parsed

  bool ok() const { return error.empty(); }
};

IniDocument parse_ini(std::string_view text);
