#pragma once
// What the end-to-end tests expect of an installation of the generated
// product (tests/e2e/make_test_product.cmake).

#include <string>
#include <vector>

// The product folder of the generated product in both languages.
constexpr const char* product_folder = "Quasarine_II";

// What an installation adds to the product's files with -M -R: the build
// packs the project's uninstaller, the run makes the links and the journal.
inline const std::vector<std::string> installation_adds = {"Quasarine II.lnk", "Uninstall Quasarine.lnk", "uninst\\",
                                                          "uninst\\log_inst.dat", "uninst\\uninstall.exe"};

// log_inst.dat of a fresh installation into installed (no trailing "\") with
// -M -R: the installation folder and the write probe's untagged record, every
// other folder, then every file in the payload's order, the two links in the
// installation folder, then the file itself.
std::vector<std::string> expected_fresh_journal(const std::string& installed);

// The untagged record a successful write probe leaves.
std::string probe_record(const std::string& installed);

// Compares the trees file by file (names, sizes, bytes); extra names under
// installed that the installation adds itself are listed in added.
void expect_same_files(const std::string& payload, const std::string& installed,
                       const std::vector<std::string>& added);

// What setup keeps in %TEMP%, sorted: the "Installer_" backup folders.
std::vector<std::string> installer_entries_in_temp();
// The records of runs that did not end ("Installer_unfinished_"), which lie
// beside the installation folder, in folder: their full paths, sorted.
std::vector<std::string> unfinished_records(const std::string& folder);
