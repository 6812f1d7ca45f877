#include "core/messages.h"

#include <vector>

#include "core/short_string.h"

std::string message(Msg id, bool german, std::initializer_list<std::string_view> args) {
  const MessageTexts& m = message_texts(id);
  const std::string_view text = german ? m.german : m.english;
  const std::vector<std::string_view> values(args);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] == '%' && next >= '1' && next <= '9') {
      const std::size_t n = static_cast<std::size_t>(next - '1');
      if (n < values.size()) out.append(values[n]);
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string caption(Msg id, bool german) {
  const MessageTexts& m = message_texts(id);
  const char* text = german && m.caption_german ? m.caption_german : m.caption_english;
  return text ? text : "";
}

std::string reason_text(Msg why, bool german, std::uint32_t error) {
  return message(why, german, {std::to_string(error)});
}

std::string rollback_report(bool german, const RollbackNumbers& n) {
  const auto line = [german](Msg id, std::int32_t number) { return message(id, german, {std::to_string(number)}); };
  return message(Msg::rollback_done, german) + "\r\n" + line(Msg::rollback_saved, n.saved) + "\r\n" +
         line(Msg::rollback_restored, n.restored) + "\r\n" + line(Msg::rollback_unrestored, n.unrestored) + "\r\n" +
         line(Msg::rollback_not_saved, n.not_saved) + "\r\n" + line(Msg::rollback_files_left, n.files_left) + "\r\n" +
         line(Msg::rollback_folders_left, n.folders_left) + "\r\n" +
         line(Msg::rollback_registrations_left, n.registrations_left);
}

std::string overwrite_question(bool german, std::string_view path) {
  // The first line with its line break is cut at 255 characters.
  std::string first = message(Msg::overwrite_head, german);
  first.append(path).append("\r\n");
  return cut_short(first) + message(Msg::overwrite_body, german);
}

std::string cleanup_question(bool german, const std::string& folder, bool allow_cancel) {
  // The English lines 1 to 3, the German lines 2 and 3, are cut at 255
  // characters together.
  const std::string head = message(Msg::cleanup_head, german);
  std::string text = german ? head + cut_short(folder + "\r\n\r\n") : cut_short(head + folder + "\r\n\r\n");
  text += message(Msg::cleanup_choices, german);
  if (allow_cancel) text += message(Msg::cleanup_cancel, german);
  return text + message(Msg::cleanup_ask, german);
}
