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

const std::vector<OptionRule> setup_option_rules = {
    {'U', OptionKind::flag}, {'I', OptionKind::flag}, {'C', OptionKind::flag},  {'Y', OptionKind::flag},
    {'H', OptionKind::flag}, {'V', OptionKind::flag}, {'N', OptionKind::flag},  {'S', OptionKind::flag},
    {'M', OptionKind::flag}, {'R', OptionKind::flag}, {'G', OptionKind::flag},  {'F', OptionKind::flag},
    {'B', OptionKind::flag}, {'O', OptionKind::flag}, {'Q', OptionKind::flag},  {'L', OptionKind::value},
    {'P', OptionKind::value}, {'p', OptionKind::value}, {'W', OptionKind::value},
};

namespace {

// The field a flag sets.
bool* flag_field(InstallerSettings& s, ShellOptions& shell, char letter) {
  switch (letter) {
    case 'U': return &s.user_only;
    case 'I': return &s.desktop_icon;
    case 'C': return &s.add_remove_entry;
    case 'Y': return &s.start_menu_uninstall;
    case 'H': return &s.hide_uninstall;
    case 'V': return &s.game_explorer_legacy;
    case 'N': return &s.game_explorer_native;
    case 'S': return &s.no_data_sharing;
    case 'M': return &s.no_start_menu;
    case 'R': return &s.no_registry;
    case 'G': return &s.silent;
    case 'F': return &s.verify_files;
    case 'B': return &s.rollback_on_failure;
    case 'O': return &s.overwrite_all;
    case 'Q': return &shell.quiet;
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
  s.install_dir.clear();
  s.backup_base_dir.clear();
  s.start_menu_dir.clear();
  s.uninstall_menu_dir.clear();
}

void apply_value(InstallerSettings& s, ShellOptions& shell, char letter, const std::string& value) {
  // The language text is only stored, so it keeps the cut of a short string.
  // Folders stay whole: a cut folder would be another folder, so the path
  // check refuses one that is too long instead.
  switch (letter) {
    case 'L':
      s.launch_args = value.substr(0, short_string_max - 2);  // the argument cut at 255 characters
      if (const auto number = parse_integer(s.launch_args)) {
        s.language_offset = *number;
        s.skip_language_dialog = true;
      } else {
        s.language_offset = language_english;
      }
      break;
    case 'P': s.install_dir = value; break;
    case 'p': s.backup_base_dir = value; break;
    case 'W': shell.log_path = value; break;
    default: break;
  }
}

}  // namespace

ShellOptions parse_options(InstallerSettings& settings, const std::vector<std::string>& arguments) {
  reset_option_fields(settings);
  ShellOptions shell;
  for (const OptionUse& use : read_options(arguments, setup_option_rules)) {
    if (bool* flag = flag_field(settings, shell, use.letter)) {
      *flag = use.on;
    } else {
      apply_value(settings, shell, use.letter, use.value);
    }
  }
  if (settings.language_offset != language_german) settings.language_offset = language_english;
  // A run with nothing shown asks nothing either.
  if (shell.quiet) settings.silent = true;
  return shell;
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
