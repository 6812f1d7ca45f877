#pragma once
// The command line of mkproductrc, separate from main() so tests can run it.
//
//   mkproductrc PRODUCT_DIR OUTPUT.rc [--default-icon PATH]
//
// Checks the product folder and writes its resource script. A refused product
// leaves no OUTPUT.rc behind, not even one from an earlier run.

#include <ostream>
#include <string>
#include <vector>

enum MkproductrcExit : int {
  mkproductrc_ok = 0,
  mkproductrc_refused = 1,  // the product has problems, or the script could not be written
  mkproductrc_usage = 2,
};

int run_mkproductrc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
