#include "core/options.h"

#include <limits>

#include "core/settings.h"
#include "core/short_string.h"

std::optional<std::int32_t> parse_integer(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  unsigned base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return std::nullopt;

  // Hexadecimal covers the full 32 bits ($FFFFFFFF is -1); decimal must fit the
  // signed range.
  const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull
                                         : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    unsigned digit;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    else return std::nullopt;
    value = value * base + digit;
    if (value > limit) return std::nullopt;
  }
  const auto bits = static_cast<std::uint32_t>(negative ? (0 - value) : value);
  return static_cast<std::int32_t>(bits);
}

namespace {

// The flag an option letter sets, or null for a letter that is no flag.
bool* flag_for(InstallerSettings& s, char letter) {
  switch (letter) {
    case 'U': case 'u': return &s.user_only;
    case 'I': case 'i': return &s.desktop_icon;
    case 'C': case 'c': return &s.add_remove_entry;
    case 'Y': case 'y': return &s.start_menu_uninstall;
    case 'H': case 'h': return &s.hide_uninstall;
    case 'V': case 'v': return &s.game_explorer_legacy;
    case 'N': case 'n': return &s.game_explorer_native;
    case 'S': case 's': return &s.no_data_sharing;
    case 'M': case 'm': return &s.no_start_menu;
    case 'R': case 'r': return &s.no_registry;
    case 'G': case 'g': return &s.silent;
    case 'F': case 'f': return &s.verify_files;
    case 'B': case 'b': return &s.rollback_on_failure;
    case 'O': case 'o': return &s.overwrite_all;
    case 'Q': case 'q': return &s.quiet;
    default: return nullptr;
  }
}

void reset_option_fields(InstallerSettings& s) {
  s.language_offset = language_english;
  s.skip_language_dialog = false;
  s.user_only = false;
  s.desktop_icon = false;
  s.add_remove_entry = true;
  s.start_menu_uninstall = true;
  s.hide_uninstall = true;
  s.game_explorer_legacy = false;
  s.game_explorer_native = false;
  s.no_data_sharing = false;
  s.no_start_menu = false;
  s.no_registry = false;
  s.silent = false;
  s.verify_files = true;
  s.rollback_on_failure = false;
  s.overwrite_all = false;
  s.quiet = false;
  s.install_dir.clear();
  s.log_path.clear();
  s.backup_base_dir.clear();
  s.start_menu_dir.clear();
  s.uninstall_menu_dir.clear();
}

void apply_option(InstallerSettings& s, std::string_view argument) {
  if (argument.size() < 2 || argument[0] != '-') return;
  const char letter = argument[1];
  // The language text is only stored, so it keeps the cut of a short string.
  // Folders stay whole: a cut folder would be another folder, so the path
  // check refuses one that is too long instead.
  const std::string_view value = argument.substr(2);
  const std::string_view short_value = argument.substr(0, short_string_max).substr(2);

  if (letter == 'L') {
    s.launch_args = std::string(short_value);
    if (const auto number = parse_integer(short_value)) {
      s.language_offset = *number;
      s.skip_language_dialog = true;
    } else {
      s.language_offset = language_english;
    }
  } else if (letter == 'P') {
    s.install_dir = std::string(value);
  } else if (letter == 'p') {
    s.backup_base_dir = std::string(value);
  } else if (letter == 'W') {
    s.log_path = std::string(value);
  } else if (bool* flag = flag_for(s, letter)) {
    *flag = letter >= 'A' && letter <= 'Z';
  }
}

}  // namespace

void parse_options(InstallerSettings& settings, const std::vector<std::string>& arguments) {
  reset_option_fields(settings);
  for (const auto& argument : arguments) apply_option(settings, argument);
  if (settings.language_offset != language_german) settings.language_offset = language_english;
  // A run with nothing shown asks nothing either.
  if (settings.quiet) settings.silent = true;
}

bool parse_decimal(std::string_view digits, std::uint64_t& value) {
  if (digits.empty() || digits.size() > 19) return false;
  value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return true;
}
