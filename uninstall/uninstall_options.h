#pragma once
// The uninstaller's command line, as its links and the Add/Remove Programs
// entry give it: "-L <language offset>" and "-P <shared data folder>" (each
// value attached or as the next argument), "-G" / "-g" for a silent run and
// "-Q" / "-q" for a quiet one, with nothing shown at all, not even the report
// (upper case on, lower case off, a later one wins; quiet implies silent),
// and "-W" with the path of a plain-text log attached. Anything else is
// ignored. Only 1000 means German.
//
// The copy the uninstaller runs from the temporary folder gets, in front of
// those, "--second-phase <result pipe> <original process> <original path>".

#include <cstdint>
#include <string>
#include <vector>

struct UninstallOptions {
  std::int32_t language_offset = 0;
  bool silent = false;
  bool quiet = false;
  std::string log_path;                // "-W", empty for none

  bool second_phase = false;
  std::uint64_t result_pipe = 0;       // handle values, inherited
  std::uint64_t original_process = 0;
  std::string original_path;           // the program the user started
  std::vector<std::string> user_arguments;  // what the user's command line held

  bool german() const { return language_offset == 1000; }
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
