#include "engine/journal_runs.h"

#include "core/journal.h"
#include "engine/backup_list.h"
#include "engine/journal_text.h"

namespace {

Msg problem_reason(LineProblem p) {
  switch (p) {
    case LineProblem::too_long: return Msg::reason_line_too_long;
    case LineProblem::zero_byte: return Msg::reason_zero_byte;
    case LineProblem::line_break: return Msg::reason_line_break;
    case LineProblem::cut_short: return Msg::reason_cut_short;
    case LineProblem::none: break;
  }
  return Msg::reason_no_record;
}

// A line of a kind the setup writes: "DIR:", "FILE:", "APP:", "RDIR:", or the
// write test's untagged full path.
bool is_journal_record(std::string_view line) {
  for (const std::string_view kind : {record::dir, record::file, record::app, record::backup_dir}) {
    if (has_prefix(line, kind)) return true;
  }
  return line.size() > 3 && line[1] == ':' && line[2] == '\\' && line.find("\\del_me_874bvgj345t87gd3z") != std::string_view::npos;
}

}  // namespace

JournalRuns read_journal_runs(std::string_view journal, std::string_view backup_list_bytes,
                              const std::string& journal_path) {
  JournalRuns out;
  std::vector<std::uint64_t> ends;  // where each run's records end in the file
  RecordedRun run;
  bool open = false;
  std::uint64_t offset = 0;
  for (const JournalLine& line : parse_journal_text(journal)) {
    offset += line.text.size() + (line.problem == LineProblem::cut_short ? 0 : 2);
    if (line.problem != LineProblem::none) {
      out.unreadable.push_back({line.text, problem_reason(line.problem)});
      continue;
    }
    if (!is_journal_record(line.text)) {
      out.unreadable.push_back({line.text, Msg::reason_no_record});
      continue;
    }
    ++out.records;
    open = true;
    if (has_prefix(line.text, record::backup_dir)) {
      run.backup_dir = line.text.substr(record::backup_dir.size());
      continue;
    }
    run.records.push_back(line.text);
    if (has_prefix(line.text, record::file) &&
        same_path(std::string_view(line.text).substr(record::file.size()), journal_path)) {
      out.runs.push_back(std::move(run));
      run = RecordedRun{};
      ends.push_back(offset);
      open = false;
    }
  }
  // Records after the last run's end (a journal cut short) make a run of their own.
  if (open) out.runs.push_back(std::move(run));

  const BackupList list = parse_backup_list(backup_list_bytes);
  for (const std::string& line : list.unreadable) {
    out.unreadable.push_back({line, Msg::reason_list_line});
  }
  for (const BackupListRun& saved : list.runs) {
    std::size_t i = 0;
    while (i < ends.size() && ends[i] != saved.journal_end) ++i;
    if (i == ends.size()) {
      out.unreadable.push_back({std::string(backup_list::run) + std::to_string(saved.journal_end), Msg::reason_list_run});
      continue;
    }
    RecordedRun& r = out.runs[i];
    r.saved.insert(r.saved.end(), saved.saved.begin(), saved.saved.end());
    r.backup_dirs_made.insert(r.backup_dirs_made.end(), saved.made.begin(), saved.made.end());
    r.links_before.insert(saved.links.begin(), saved.links.end());
  }
  return out;
}
