#include "engine/run_record.h"

#include <cstdlib>

#include "core/name_case.h"
#include "core/options.h"
#include "core/paths.h"
#include "core/journal.h"
#include "payload/xxh3.h"

namespace {

constexpr char hex_digits[] = "0123456789ABCDEF";

std::string to_hex(std::string_view bytes) {
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    hex += hex_digits[b >> 4];
    hex += hex_digits[b & 15];
  }
  return hex;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// False for anything that is not pairs of upper-case hexadecimal digits.
bool from_hex(std::string_view hex, std::string& bytes) {
  if (hex.size() % 2) return false;
  bytes.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = hex_value(hex[i]);
    const int low = hex_value(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
  }
  return true;
}

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


// The complete lines, with every withdrawn announcement taken out together
// with the line that withdrew it.
std::vector<std::string_view> announced_lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
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
  return lines;
}

void parse_app_value(std::string_view rest, StoppedRun& run) {
  std::vector<std::string_view> parts;
  EntryValue value;
  // key "|" name "|" type "|" hex: a key name holds no "|", a value's name may.
  std::uint64_t type = 0;
  if (!split_tail(rest, 2, parts) || !from_hex(parts[2], value.data) || !parse_decimal(parts[1], type)) return;
  const std::string_view key_and_name = parts[0];
  const std::size_t bar = key_and_name.find(run_record::separator);
  if (bar == std::string_view::npos) return;
  value.name = std::string(key_and_name.substr(bar + 1));
  value.type = static_cast<std::uint32_t>(type);
  run.entries_before[std::string(key_and_name.substr(0, bar))].push_back(std::move(value));
}

}  // namespace

std::string run_record_path(const std::string& temp, const std::string& install_dir) {
  std::string folder = fold_name_case(install_dir);
  strip_trailing_backslash(folder);
  folder += '\\';
  const std::uint64_t sum = xxh3_64(folder.data(), folder.size());
  std::string name = "Installer_unfinished_";
  for (int shift = 60; shift >= 0; shift -= 4) name += hex_digits[(sum >> shift) & 15];
  return join_path(temp, name + ".dat");
}

std::string run_record::save_line(const SavedItem& item) {
  std::string line(save);
  line.append(item.original).append(1, separator).append(item.saved);
  line.append(1, separator).append(std::to_string(item.attributes));
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
  for (const std::string_view line : announced_lines(bytes)) {
    std::vector<std::string_view> parts;
    if (has_prefix(line, record::dir) || has_prefix(line, record::file) || has_prefix(line, record::app)) {
      run.records.emplace_back(line);
    } else if (has_prefix(line, run_record::backup)) {
      run.backup_dir = std::string(line.substr(run_record::backup.size()));
    } else if (has_prefix(line, run_record::save)) {
      std::uint64_t attributes = 0;
      if (split_tail(line.substr(run_record::save.size()), 2, parts) && parse_decimal(parts[2], attributes) &&
          attributes <= 0xFFFFFFFFu) {
        run.backup.items.push_back(
            {std::string(parts[0]), std::string(parts[1]), static_cast<std::uint32_t>(attributes)});
      }
    } else if (has_prefix(line, run_record::link_was)) {
      std::string link;
      if (split_tail(line.substr(run_record::link_was.size()), 1, parts) && from_hex(parts[1], link)) {
        run.links_before.emplace(std::string(parts[0]), std::move(link));
      }
    } else if (has_prefix(line, run_record::app_was)) {
      run.entries_before[std::string(line.substr(run_record::app_was.size()))];
    } else if (has_prefix(line, run_record::app_value)) {
      parse_app_value(line.substr(run_record::app_value.size()), run);
    } else if (has_prefix(line, run_record::journal_was)) {
      std::uint64_t length = 0;
      if (split_tail(line.substr(run_record::journal_was.size()), 1, parts) && parse_decimal(parts[1], length)) {
        run.journals_before.emplace(std::string(parts[0]), length);
      }
    } else if (line == run_record::done) {
      run.done = true;
    }
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
        run.backup.created_dirs.emplace_back(folder);
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
