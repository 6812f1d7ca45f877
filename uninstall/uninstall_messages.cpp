#include "uninstall/uninstall_messages.h"

namespace {

constexpr std::size_t list_limit = 10;

template <typename Item, typename Line>
void add_list(std::string& text, bool german, const std::vector<Item>& items, Msg heading, Line line) {
  if (items.empty()) return;
  text += "\r\n\r\n" + message(heading, german);
  for (std::size_t i = 0; i < items.size() && i < list_limit; ++i) text += "\r\n  " + line(items[i]);
  if (items.size() > list_limit) {
    text += "\r\n  " + message(Msg::uninstall_more, german, {std::to_string(items.size() - list_limit)});
  }
}

}  // namespace

std::string uninstall_report(bool german, const UninstallReport& r) {
  const UndoOutcome& o = r.outcome;
  const auto with_reason = [german](const std::string& what, Msg why, std::uint32_t error) {
    return what + " (" + reason_text(why, german, error) + ")";
  };
  std::string text = message(Msg::uninstall_counts, german,
                             {std::to_string(o.files), std::to_string(o.folders), std::to_string(o.restored)});
  add_list(text, german, o.kept_folders, Msg::uninstall_kept_folders, [](const std::string& f) { return f; });
  add_list(text, german, o.left, Msg::uninstall_not_removed,
           [&](const LeftItem& l) { return with_reason(l.path, l.why, l.error); });
  add_list(text, german, r.refused, Msg::uninstall_refused,
           [&](const RefusedRecord& x) { return with_reason(x.record, x.why, 0); });
  add_list(text, german, o.not_ours, Msg::uninstall_not_ours, [](const LeftItem& l) { return l.path; });
  add_list(text, german, r.kept, Msg::uninstall_kept,
           [&](const LeftItem& l) { return with_reason(l.path, l.why, l.error); });
  if (!r.removed_at_restart.empty()) {
    text += "\r\n\r\n" + message(Msg::uninstall_at_restart, german, {r.removed_at_restart});
  }
  if (!o.left.empty()) text += "\r\n\r\n" + message(Msg::uninstall_close_programs, german);
  return text;
}
