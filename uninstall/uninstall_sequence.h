#pragma once
// The uninstaller from start-up to exit. It finds log_inst.dat beside itself
// and the installation folder above it (its own path less the product's
// uninstaller path), asks once (unless -G), removes what the journal names
// in the places an installation writes, puts back the files the
// installation replaced and kept, reports, and removes itself.
//
// Exit codes:
//   0  removed; the user's own files and the folders holding them stay
//   1  the shell could not name the special folders; nothing was done
//   2  log_inst.dat is missing or cannot be read; nothing was removed
//   3  the user said No; nothing was removed
//   4  records naming places outside the installation's were refused; the
//      rest was removed
//   6  something the installation made could not be removed (a file in
//      use): it is named in the report, and the journal, the uninstaller and
//      the entry stay, so that uninstalling again removes it

#include <string>
#include <vector>

int run_uninstall(const std::vector<std::string>& arguments);
