#pragma once
// How the product's checks name and test the files of a product folder.

#include <filesystem>
#include <system_error>

// The path as the script names it: absolute and without "." or "..".
inline std::filesystem::path absolute_path(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return (ec ? path : absolute).lexically_normal();
}

// A regular file (or a link to one); false where it cannot be told.
inline bool is_file(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}
