#include "uninstall/uninstall_options.h"

#include "core/language.h"
#include "core/options.h"

namespace {

constexpr const char* second_phase_flag = "--second-phase";

}  // namespace

const std::vector<OptionRule> uninstall_option_rules = {
    {'G', OptionKind::flag},
    {'Q', OptionKind::flag},
    {'L', OptionKind::value_or_next},
    {'P', OptionKind::value_or_next},
    {'W', OptionKind::value},
};

UninstallOptions parse_uninstall_options(const std::vector<std::string>& arguments) {
  UninstallOptions o;
  std::size_t i = 0;
  if (arguments.size() >= 4 && arguments[0] == second_phase_flag && parse_decimal(arguments[1], o.result_pipe) &&
      parse_decimal(arguments[2], o.original_process) && !arguments[3].empty()) {
    o.second_phase = true;
    o.original_path = arguments[3];
    i = 4;
  }
  o.user_arguments.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
  for (const OptionUse& use : read_options(o.user_arguments, uninstall_option_rules)) {
    switch (use.letter) {
      case 'G': o.silent = use.on; break;
      case 'Q': o.shell.quiet = use.on; break;
      case 'W': o.shell.log_path = use.value; break;
      case 'L': {
        const std::optional<std::int32_t> n = parse_integer(use.value);
        o.language_offset = n && *n == language_german ? language_german : language_english;
        break;
      }
      default: break;  // -P: the game's shared data folder, which the uninstaller does not use
    }
  }
  if (o.shell.quiet) o.silent = true;
  return o;
}

std::vector<std::string> with_log_path(std::vector<std::string> arguments, const std::string& log_path) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string& a = arguments[i];
    if (a.size() < 2 || a[0] != '-') continue;
    if ((a[1] == 'L' || a[1] == 'P') && a.size() == 2) {
      ++i;  // the next argument is its value (uninstall_option_rules)
    } else if (a[1] == 'W') {
      a = "-W" + log_path;
    }
  }
  return arguments;
}

std::vector<std::string> second_phase_arguments(std::uint64_t result_pipe, std::uint64_t original_process,
                                                const std::string& original_path,
                                                const std::vector<std::string>& user_arguments) {
  std::vector<std::string> args = {second_phase_flag, std::to_string(result_pipe), std::to_string(original_process),
                                   original_path};
  args.insert(args.end(), user_arguments.begin(), user_arguments.end());
  return args;
}

std::string uninstall_options_line(const UninstallOptions& o) {
  return std::string("options: G") + (o.silent ? '+' : '-') + " Q" + (o.shell.quiet ? '+' : '-') + " language " +
         std::to_string(o.language_offset) + "; -W \"" + o.shell.log_path + "\"" +
         (o.second_phase ? "; second phase for " + o.original_path : "");
}
