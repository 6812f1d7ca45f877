#include "engine/run_record.h"

#include "core/hex.h"
#include "core/journal.h"
#include "core/name_case.h"
#include "core/options.h"
#include "core/paths.h"
#include "payload/xxh3.h"

namespace {

// Splits at the last n separators: paths and key names hold no "|", values'
// names may, so the fixed fields are taken from the end.
bool split_tail(std::string_view line, int n, std::vector<std::string_view>& parts) {
  parts.assign(static_cast<std::size_t>(n) + 1, {});
  for (int i = n; i > 0; --i) {
    const std::size_t bar = line.rfind(run_record::separator);
    if (bar == std::string_view::npos) return false;
    parts[static_cast<std::size_t>(i)] = line.substr(bar + 1);
    line = line.substr(0, bar);
  }
  parts[0] = line;
  return true;
}

struct Lines {
  std::vector<std::string_view> announced;  // withdrawn ones taken out with the line that withdrew them
};

// The complete lines. A line holding a zero byte is the mark a resumed
// record starts with (or a line a power loss cut that it ended): not read.
Lines announced_lines(std::string_view bytes) {
  Lines out;
  std::vector<std::string_view>& lines = out.announced;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string_view::npos) break;  // no line, or one cut short
    const std::string_view line = bytes.substr(start, end - start);
    start = end + 2;
    if (line.find('\0') != std::string_view::npos) continue;
    if (has_prefix(line, run_record::withdrawn)) {
      const std::string_view what = line.substr(run_record::withdrawn.size());
      for (auto l = lines.rbegin(); l != lines.rend(); ++l) {
        if (*l == what) {
          lines.erase(std::next(l).base());
          break;
        }
      }
      continue;
    }
    lines.push_back(line);
  }
  return out;
}

bool is_digest(std::string_view text) { return text.empty() || (text.size() == 64 && from_hex(text)); }

bool parse_app_value(std::string_view rest, StoppedRun& run) {
  std::vector<std::string_view> parts;
  // key "|" name "|" type "|" hex: a key name holds no "|", a value's name may.
  std::uint64_t type = 0;
  if (!split_tail(rest, 2, parts) || !parse_decimal(parts[1], type) || type > 0xFFFFFFFFu) return false;
  std::optional<std::string> data = from_hex(parts[2]);
  const std::string_view key_and_name = parts[0];
  const std::size_t bar = key_and_name.find(run_record::separator);
  if (!data || bar == std::string_view::npos) return false;
  EntryValue value;
  value.name = std::string(key_and_name.substr(bar + 1));
  value.type = static_cast<std::uint32_t>(type);
  value.data = std::move(*data);
  run.entries_before[std::string(key_and_name.substr(0, bar))].push_back(std::move(value));
  return true;
}

// One line into the run; false for a line the setup does not write.
bool parse_line(std::string_view line, StoppedRun& run) {
  std::vector<std::string_view> parts;
  std::uint64_t number = 0;
  if (line.find_first_of("\r\n") != std::string_view::npos) {
    return false;  // a line break of another form: no run writes one
  } else if (has_prefix(line, record::dir) || has_prefix(line, record::file) || has_prefix(line, record::app)) {
    run.records.emplace_back(line);
  } else if (has_prefix(line, run_record::menu)) {
    run.menu_dirs.emplace_back(line.substr(run_record::menu.size()));
  } else if (has_prefix(line, run_record::backup)) {
    run.backup_dir = std::string(line.substr(run_record::backup.size()));
  } else if (has_prefix(line, run_record::save)) {
    if (!split_tail(line.substr(run_record::save.size()), 3, parts) || !parse_decimal(parts[2], number) ||
        number > 0xFFFFFFFFu || !is_digest(parts[3])) {
      return false;
    }
    run.saved.push_back({std::string(parts[0]), std::string(parts[1]), static_cast<std::uint32_t>(number),
                         std::string(parts[3])});
  } else if (has_prefix(line, run_record::link_was)) {
    std::optional<std::string> link;
    if (!split_tail(line.substr(run_record::link_was.size()), 1, parts) || !(link = from_hex(parts[1]))) return false;
    run.links_before.emplace(std::string(parts[0]), std::move(*link));
  } else if (has_prefix(line, run_record::app_was)) {
    run.entries_before[std::string(line.substr(run_record::app_was.size()))];
  } else if (has_prefix(line, run_record::app_value)) {
    return parse_app_value(line.substr(run_record::app_value.size()), run);
  } else if (has_prefix(line, run_record::journal_was)) {
    if (!split_tail(line.substr(run_record::journal_was.size()), 1, parts) || !parse_decimal(parts[1], number)) {
      return false;
    }
    run.journals_before.emplace(std::string(parts[0]), number);
  } else if (line == run_record::done) {
    run.done = true;
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::string run_record_name(const std::string& install_dir) {
  std::string folder = fold_name_case(install_dir);
  strip_trailing_backslash(folder);
  folder += '\\';
  const std::uint64_t sum = xxh3_64(folder.data(), folder.size());
  std::string digits;
  for (int shift = 56; shift >= 0; shift -= 8) digits += static_cast<char>((sum >> shift) & 0xFF);
  return "Installer_unfinished_" + to_hex(digits) + ".dat";
}

std::vector<std::string> run_record_folders(const std::string& install_dir) {
  std::vector<std::string> folders;
  std::string folder = install_dir;
  strip_trailing_backslash(folder);
  for (folder = parent_dir(folder); !folder.empty(); folder = parent_dir(folder)) folders.push_back(folder);
  // A drive's root: "C:" as parent_dir leaves it, named as the root.
  if (install_dir.size() >= 3 && install_dir[1] == ':' && install_dir[2] == '\\') {
    folders.push_back(install_dir.substr(0, 3));
  }
  return folders;
}

std::string run_record::save_line(const SavedItem& item) {
  std::string line(save);
  line.append(item.original).append(1, separator).append(item.saved);
  line.append(1, separator).append(std::to_string(item.attributes)).append(1, separator).append(item.digest);
  return line;
}

std::string run_record::link_was_line(std::string_view path, std::string_view bytes) {
  std::string line(link_was);
  line.append(path).append(1, separator).append(to_hex(bytes));
  return line;
}

std::string run_record::app_value_line(std::string_view key, std::string_view name, std::uint32_t type,
                                       std::string_view data) {
  std::string line(app_value);
  line.append(key).append(1, separator).append(name).append(1, separator);
  line.append(std::to_string(type)).append(1, separator).append(to_hex(data));
  return line;
}

std::string run_record::journal_was_line(std::string_view path, std::uint64_t length) {
  std::string line(journal_was);
  line.append(path).append(1, separator).append(std::to_string(length));
  return line;
}

StoppedRun parse_run_record(std::string_view bytes) {
  StoppedRun run;
  for (const std::string_view line : announced_lines(bytes).announced) {
    if (!parse_line(line, run)) run.unreadable.emplace_back(line);
  }
  // The folders made for the backup are the backup's, as in a running
  // installation: removed once its saved files are gone, never left as the
  // installation's records.
  if (!run.backup_dir.empty()) {
    std::vector<std::string> records;
    for (std::string& r : run.records) {
      const std::string_view folder = std::string_view(r).substr(record::dir.size());
      if (has_prefix(r, record::dir) &&
          (is_same_or_below(folder, run.backup_dir) || is_same_or_below(run.backup_dir, folder))) {
        run.backup_dirs_made.emplace_back(folder);
      } else {
        records.push_back(std::move(r));
      }
    }
    run.records = std::move(records);
  }
  return run;
}

StopHook::StopHook(std::string_view setting) {
  const std::size_t hash = setting.rfind('#');
  if (hash == std::string_view::npos) return;
  std::uint64_t n = 0;
  if (!parse_decimal(setting.substr(hash + 1), n) || n == 0 || n > 1000000000) return;
  const std::string_view pattern = setting.substr(0, hash);
  const std::size_t star = pattern.find('*', 1);  // run-record kinds start with "*" themselves
  prefix_ = std::string(pattern.substr(0, star));
  if (star != std::string_view::npos) suffix_ = std::string(pattern.substr(star + 1));
  countdown_ = static_cast<long>(n);
}

bool StopHook::stop_after(std::string_view line) {
  if (countdown_ <= 0 || !has_prefix(line, prefix_)) return false;
  if (line.size() < prefix_.size() + suffix_.size() || line.substr(line.size() - suffix_.size()) != suffix_) {
    return false;
  }
  return --countdown_ == 0;
}
