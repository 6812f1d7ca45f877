#include <iostream>
#include <string>
#include <vector>

#include "tools/mkproductrc/cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return run_mkproductrc(args, std::cout, std::cerr);
}
