// exitcodes --markdown | --winget
// Prints the one list of exit codes (core/exit_codes.h): as the README's
// table, a column for each program, or as the winget manifest's
// ExpectedReturnCodes of setup.exe, one "code response" line each.
#include <iostream>
#include <string>

#include "core/exit_codes.h"

int main(int argc, char** argv) {
  const std::string what = argc == 2 ? argv[1] : "";
  if (what == "--winget") {
    for (std::size_t i = 0; i < exit_code_count; ++i) {
      const ExitCodeInfo& c = exit_code_list[i];
      if (c.code != exit_success && c.setup) std::cout << c.code << ' ' << c.winget << '\n';
    }
    return 0;
  }
  if (what == "--markdown") {
    std::cout << "| code | setup.exe | uninstall.exe |\n|---|---|---|\n";
    for (std::size_t i = 0; i < exit_code_count; ++i) {
      const ExitCodeInfo& c = exit_code_list[i];
      std::cout << "| " << c.code << " | " << (c.setup ? c.setup : "(never)") << " | "
                << (c.uninstall ? c.uninstall : "(never)") << " |\n";
    }
    return 0;
  }
  std::cerr << "usage: exitcodes --markdown | --winget\n";
  return 2;
}
