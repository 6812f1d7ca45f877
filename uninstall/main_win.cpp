// uninstall.exe: hands the command line to the uninstall sequence.
#include <windows.h>

#include <cstdlib>

#include "uninstall/uninstall_sequence.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i) arguments.emplace_back(__argv[i]);
  return run_uninstall(arguments);
}
