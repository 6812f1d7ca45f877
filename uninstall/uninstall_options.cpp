#include "uninstall/uninstall_options.h"

#include "core/options.h"

namespace {

constexpr const char* second_phase_flag = "--second-phase";

}  // namespace

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
  for (; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a.size() < 2 || a[0] != '-') continue;
    const char letter = a[1];
    if (letter == 'G' || letter == 'g') {
      if (a.size() == 2) o.silent = letter == 'G';
    } else if (letter == 'Q' || letter == 'q') {
      if (a.size() == 2) o.quiet = letter == 'Q';
    } else if (letter == 'W') {
      o.log_path = a.substr(2);
    } else if (letter == 'L' || letter == 'P') {
      // The value attached, or the next argument.
      std::string value = a.substr(2);
      if (value.empty() && i + 1 < arguments.size()) value = arguments[++i];
      if (letter == 'L') {
        const std::optional<std::int32_t> n = parse_integer(value);
        o.language_offset = n && *n == 1000 ? 1000 : 0;
      }
    }
  }
  if (o.quiet) o.silent = true;
  return o;
}

std::vector<std::string> with_log_path(std::vector<std::string> arguments, const std::string& log_path) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string& a = arguments[i];
    if (a.size() < 2 || a[0] != '-') continue;
    if ((a[1] == 'L' || a[1] == 'P') && a.size() == 2) {
      ++i;  // the next argument is its value
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
  return std::string("options: G") + (o.silent ? '+' : '-') + " Q" + (o.quiet ? '+' : '-') + " language " +
         std::to_string(o.language_offset) + "; -W \"" + o.log_path + "\"" +
         (o.second_phase ? "; second phase for " + o.original_path : "");
}
