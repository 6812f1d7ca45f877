#include "core/journal.h"

#include "core/short_string.h"

bool record_fits(std::string_view prefix, std::string_view path) {
  return prefix.size() + path.size() <= short_string_max;
}

bool add_record(Tstring_writer& journal, std::string_view prefix, std::string_view path) {
  if (!record_fits(prefix, path)) return false;
  std::string r;
  r.reserve(prefix.size() + path.size());
  r.append(prefix).append(path);
  journal.add(r);
  return true;
}

bool has_prefix(std::string_view record, std::string_view prefix) {
  return record.substr(0, prefix.size()) == prefix;
}

JournalCounts count_records(const Tstring_writer& journal) {
  JournalCounts counts;
  Tstring_reader reader;
  reader.attach(journal);
  std::string r;
  while (reader.read(r)) {
    if (has_prefix(r, record::app)) ++counts.registrations;
    if (has_prefix(r, record::dir)) ++counts.folders;
    if (has_prefix(r, record::file)) ++counts.files;
  }
  return counts;
}

std::vector<std::string> read_records(const Tstring_writer& journal) {
  std::vector<std::string> records;
  Tstring_reader reader;
  reader.attach(journal);
  std::string r;
  while (reader.read(r)) records.push_back(r);
  return records;
}
