#include "engine/run_record.h"

#include "core/paths.h"
#include "engine/journal.h"

#include <cstdlib>

std::string run_record_path(const std::string& install_dir) { return join_path(install_dir, run_record_file_name); }

std::string run_record::save_line(const SavedItem& item) {
  std::string line(save);
  line.append(item.original).append(1, save_separator).append(item.saved);
  return line;
}

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
// names may not, so the fixed fields are taken from the end.
bool split_tail(std::string_view line, int n, std::vector<std::string_view>& parts) {
  parts.assign(static_cast<std::size_t>(n) + 1, {});
  for (int i = n; i > 0; --i) {
    const std::size_t bar = line.rfind(run_record::save_separator);
    if (bar == std::string_view::npos) return false;
    parts[static_cast<std::size_t>(i)] = line.substr(bar + 1);
    line = line.substr(0, bar);
  }
  parts[0] = line;
  return true;
}

}  // namespace

std::string run_record::link_was_line(std::string_view path, std::string_view bytes) {
  std::string line(link_was);
  line.append(path).append(1, save_separator).append(to_hex(bytes));
  return line;
}

std::string run_record::app_value_line(std::string_view key, std::string_view name, std::uint32_t type,
                                       std::string_view data) {
  std::string line(app_value);
  line.append(key).append(1, save_separator).append(name).append(1, save_separator);
  line.append(std::to_string(type)).append(1, save_separator).append(to_hex(data));
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
    } else if (has_prefix(line, run_record::link_was)) {
      std::vector<std::string_view> parts;
      std::string link;
      if (split_tail(line.substr(run_record::link_was.size()), 1, parts) && from_hex(parts[1], link)) {
        run.links_before.emplace(std::string(parts[0]), std::move(link));
      }
    } else if (has_prefix(line, run_record::app_was)) {
      run.entries_before[std::string(line.substr(run_record::app_was.size()))];
    } else if (has_prefix(line, run_record::app_value)) {
      std::vector<std::string_view> parts;
      EntryValue value;
      // key "|" name "|" type "|" hex: a key name holds no "|", a value's name may.
      if (split_tail(line.substr(run_record::app_value.size()), 2, parts) && from_hex(parts[2], value.data)) {
        const std::string_view key_and_name = parts[0];
        const std::size_t bar = key_and_name.find(run_record::save_separator);
        if (bar == std::string_view::npos) continue;
        value.name = std::string(key_and_name.substr(bar + 1));
        value.type = static_cast<std::uint32_t>(std::strtoul(std::string(parts[1]).c_str(), nullptr, 10));
        run.entries_before[std::string(key_and_name.substr(0, bar))].push_back(std::move(value));
      }
    } else if (line.find('\0') == std::string_view::npos) {
      run.records.emplace_back(line);
    }
  }
  return run;
}
