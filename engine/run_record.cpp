#include "engine/run_record.h"

#include "core/paths.h"
#include "engine/journal.h"

std::string run_record_path(const std::string& install_dir) { return join_path(install_dir, run_record_file_name); }

std::string run_record::save_line(const SavedItem& item) {
  std::string line(save);
  line.append(item.original).append(1, save_separator).append(item.saved);
  return line;
}

StoppedRun parse_run_record(std::string_view bytes) {
  StoppedRun run;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string_view::npos) break;  // no line, or one cut short
    const std::string_view line = bytes.substr(start, end - start);
    start = end + 2;
    if (has_prefix(line, run_record::backup_made) || has_prefix(line, run_record::backup_used)) {
      run.backup.folder_created = has_prefix(line, run_record::backup_made);
      run.backup_dir = std::string(line.substr(line.find(':') + 1));
    } else if (has_prefix(line, run_record::backup_subdir)) {
      run.backup.created_dirs.emplace_back(line.substr(run_record::backup_subdir.size()));
    } else if (has_prefix(line, run_record::save)) {
      const std::string_view rest = line.substr(run_record::save.size());
      const std::size_t bar = rest.find(run_record::save_separator);
      if (bar == std::string_view::npos) continue;
      run.backup.items.push_back({std::string(rest.substr(0, bar)), std::string(rest.substr(bar + 1))});
    } else if (line.find('\0') == std::string_view::npos) {
      run.records.emplace_back(line);
    }
  }
  return run;
}
