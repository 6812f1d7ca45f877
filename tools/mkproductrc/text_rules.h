#pragma once
// Rules for the texts of product.ini. Each check returns what is wrong, in
// words for the maker, or an empty string when the text passes.

#include <cstddef>
#include <string>
#include <string_view>

// The Windows-1252 bytes of a product text, or why it cannot become one.
struct ProgramText {
  std::string bytes;
  std::string problem;

  bool ok() const { return problem.empty(); }
};

// Refuses invalid UTF-8, characters Windows-1252 lacks, control characters
// (a text is a name or a one-line description) and more than max_bytes bytes
// in Windows-1252.
ProgramText to_program_text(std::string_view utf8, std::size_t max_bytes);

// The rules below take Windows-1252 bytes that passed to_program_text.

// A single folder name (product_folder): no separator, nothing Windows
// refuses or silently changes in a name.
std::string folder_name_problem(std::string_view name);

// A shortcut title: the link file is the title followed by ".lnk", created in
// a folder, so the same rules hold except for a trailing dot or blank.
std::string link_title_problem(std::string_view title);

// A file below the installation folder, written "\folder\file.exe": a leading
// "\", "\" between folders, and no way out of the installation folder.
std::string installed_path_problem(std::string_view path);

// A product version as a version resource holds it: 1 to 4 numbers of 0 to
// 65535 joined by dots ("1.2.0"), without signs, blanks or leading zeros.
std::string version_problem(std::string_view version);
