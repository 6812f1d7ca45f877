// setup.exe: hands the command line to the run sequence.
#include <windows.h>

#include <cstdlib>

#include "setup/run_sequence.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The C runtime splits the command line by the platform's rules (quotes
  // group blanks); argument 0, the program's own path, is not an option.
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i) arguments.emplace_back(__argv[i]);
  return run_setup(arguments);
}
