#pragma once
// The install journal: every folder, file and registration the installation
// creates, in the order it happened, as records "DIR:", "FILE:", "APP:" and
// "RDIR:" followed by a path or key name. It is written as log_inst.dat for the
// game's uninstaller, so the record forms bind.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/string_list.h"

namespace record {
constexpr std::string_view dir = "DIR:";
constexpr std::string_view file = "FILE:";
constexpr std::string_view app = "APP:";
constexpr std::string_view backup_dir = "RDIR:";
}  // namespace record

// Whether prefix + path stays within 255 characters. A cut record would name
// another path, which the rollback or the uninstaller would then act on, so
// callers refuse to create what they cannot journal whole.
bool record_fits(std::string_view prefix, std::string_view path);

// Appends prefix + path; false, and nothing appended, when it would not fit.
bool add_record(Tstring_writer& journal, std::string_view prefix, std::string_view path);

// True when the record starts with the prefix; the path follows it.
bool has_prefix(std::string_view record, std::string_view prefix);

struct JournalCounts {
  std::int32_t files = 0;
  std::int32_t folders = 0;
  std::int32_t registrations = 0;
};

// "FILE:", "DIR:" and "APP:" records; "RDIR:" and untagged records count as none.
JournalCounts count_records(const Tstring_writer& journal);

std::vector<std::string> read_records(const Tstring_writer& journal);
