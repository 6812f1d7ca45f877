#include "engine/backup_list.h"

#include "core/hex.h"
#include "core/journal.h"
#include "core/options.h"

namespace {

constexpr char separator = '|';  // never part of a Windows path

// Splits at the last n separators: the fixed fields come last.
bool split_tail(std::string_view line, int n, std::vector<std::string_view>& parts) {
  parts.assign(static_cast<std::size_t>(n) + 1, {});
  for (int i = n; i > 0; --i) {
    const std::size_t bar = line.rfind(separator);
    if (bar == std::string_view::npos) return false;
    parts[static_cast<std::size_t>(i)] = line.substr(bar + 1);
    line = line.substr(0, bar);
  }
  parts[0] = line;
  return true;
}

bool is_digest(std::string_view text) { return text.empty() || (text.size() == 64 && from_hex(text)); }

}  // namespace

std::string backup_list_lines(const std::vector<SavedItem>& kept, const std::vector<std::string>& made,
                              const std::map<std::string, std::string>& links, std::uint64_t journal_end) {
  if (kept.empty() && links.empty()) return {};
  std::string text;
  for (const std::string& folder : made) text.append(backup_list::made).append(folder).append("\r\n");
  for (const SavedItem& item : kept) {
    text.append(backup_list::saved).append(item.original).append(1, separator).append(item.saved);
    text.append(1, separator).append(std::to_string(item.attributes)).append(1, separator).append(item.digest);
    text.append("\r\n");
  }
  for (const auto& [path, bytes] : links) {
    text.append(backup_list::link).append(path).append(1, separator).append(to_hex(bytes)).append("\r\n");
  }
  text.append(backup_list::run).append(std::to_string(journal_end)).append("\r\n");
  return text;
}

BackupList parse_backup_list(std::string_view bytes) {
  BackupList list;
  BackupListRun current;
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find("\r\n", start);
    const bool cut = end == std::string_view::npos;
    const std::string_view line = bytes.substr(start, cut ? std::string_view::npos : end - start);
    start = cut ? bytes.size() : end + 2;
    bool read = !cut && line.find('\0') == std::string_view::npos && line.find_first_of("\r\n") == std::string_view::npos;
    std::uint64_t number = 0;
    if (!read) {
    } else if (has_prefix(line, backup_list::run)) {
      read = parse_decimal(line.substr(backup_list::run.size()), number);
      if (read) {
        current.journal_end = number;
        list.runs.push_back(std::move(current));
        current = BackupListRun{};
      }
    } else if (has_prefix(line, backup_list::made)) {
      current.made.emplace_back(line.substr(backup_list::made.size()));
    } else if (has_prefix(line, backup_list::saved)) {
      read = split_tail(line.substr(backup_list::saved.size()), 3, parts) && parse_decimal(parts[2], number) &&
             number <= 0xFFFFFFFFu && is_digest(parts[3]);
      if (read) {
        current.saved.push_back({std::string(parts[0]), std::string(parts[1]), static_cast<std::uint32_t>(number),
                                 std::string(parts[3])});
      }
    } else if (has_prefix(line, backup_list::link)) {
      std::optional<std::string> link;
      read = split_tail(line.substr(backup_list::link.size()), 1, parts) && (link = from_hex(parts[1]));
      if (read) current.links.emplace(std::string(parts[0]), std::move(*link));
    } else {
      read = false;
    }
    if (!read) list.unreadable.emplace_back(line);
  }
  // Lines no "RUN:" line ended belong to no run that wrote its journal.
  for (const SavedItem& item : current.saved) list.unreadable.push_back(std::string(backup_list::saved) + item.original);
  for (const std::string& folder : current.made) list.unreadable.push_back(std::string(backup_list::made) + folder);
  for (const auto& link : current.links) list.unreadable.push_back(std::string(backup_list::link) + link.first);
  return list;
}
