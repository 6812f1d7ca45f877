#pragma once
// The command line of mkfileset, separate from main() so tests can run it.
//
//   mkfileset [--seed HEX] [--add-missing NAME=FILE]... DIR OUTPUT
//                                            pack DIR into the container OUTPUT,
//                                            with FILE as NAME where DIR has none
//   mkfileset [--seed HEX] --list CONTAINER  list it and check its digest; a
//                                            setup.exe is listed by its payload
//   mkfileset --check DIR                    report all DIR's packer would refuse
//   mkfileset --estimate DIR                 how much smaller zstd would make DIR's
//                                            files, from a sample
//
// Without --seed the seed this build was configured with is used.

#include <ostream>
#include <string>
#include <vector>

enum MkfilesetExit : int {
  mkfileset_ok = 0,
  mkfileset_failed = 1,      // refused input, damaged or no container, wrong digest
  mkfileset_usage = 2,
};

int run_mkfileset(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// True for 64 uppercase hexadecimal digits.
bool is_valid_seed(const std::string& seed);
