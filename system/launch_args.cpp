#include "system/launch_args.h"

std::string quote_argument(std::string_view argument) {
  std::string quoted = "\"";
  quoted += argument;
  // Backslashes are literal except in a run right before a quote: there each
  // pair stands for one. Doubling the trailing run keeps all of them.
  std::size_t trailing = 0;
  while (trailing < argument.size() && argument[argument.size() - 1 - trailing] == '\\') ++trailing;
  quoted.append(trailing, '\\');
  quoted += '"';
  return quoted;
}

std::string build_launch_args(std::int32_t language_offset, bool no_data_sharing, std::string_view common_appdata_dir) {
  std::string args = "-L " + std::to_string(language_offset);
  if (!no_data_sharing) {
    args += " -P ";
    args += quote_argument(common_appdata_dir);
  }
  return args;
}
