#pragma once
// The uninstaller's command line, read by the one option grammar
// (core/option_grammar.h), as its links and the Add/Remove Programs entry
// give it: "-L <language offset>" and "-P <shared data folder>" (each value
// attached or as the next argument, as the links pass them), the flag pairs
// G (silent) and Q (quiet: nothing shown at all, not even the report;
// implies silent), and "-W" with the path of a plain-text log attached.
// Anything else is ignored. Only 1000 means German.
//
// The copy the uninstaller runs from the temporary folder gets, in front of
// those, "--second-phase <result pipe> <original process> <original path>".

#include <cstdint>
#include <string>
#include <vector>

#include "core/language.h"
#include "core/option_grammar.h"
#include "core/options.h"

// uninstall.exe's rules.
extern const std::vector<OptionRule> uninstall_option_rules;

struct UninstallOptions {
  std::int32_t language_offset = language_english;
  bool silent = false;
  ShellOptions shell;                  // "-Q", "-W"

  bool second_phase = false;
  std::uint64_t result_pipe = 0;       // handle values, inherited
  std::uint64_t original_process = 0;
  std::string original_path;           // the program the user started
  std::vector<std::string> user_arguments;  // what the user's command line held

  bool german() const { return language_offset == language_german; }
};

UninstallOptions parse_uninstall_options(const std::vector<std::string>& arguments);

// The options as parsed, for the "-W" log.
std::string uninstall_options_line(const UninstallOptions& options);

// The arguments with every "-W" log path replaced by this one: the copy runs
// in the temporary folder, where a relative path would name another file.
std::vector<std::string> with_log_path(std::vector<std::string> arguments, const std::string& log_path);

std::vector<std::string> second_phase_arguments(std::uint64_t result_pipe, std::uint64_t original_process,
                                                const std::string& original_path,
                                                const std::vector<std::string>& user_arguments);
