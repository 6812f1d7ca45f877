#pragma once
// File-system helpers for the Windows-side tests: a private temporary folder
// per test and small read/write/inspect functions on the real file system.

#include <optional>
#include <string>
#include <vector>

// A fresh folder below %TEMP%, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }  // no trailing "\"
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

bool write_file(const std::string& path, const std::string& bytes);
std::optional<std::string> read_file(const std::string& path);
bool file_exists(const std::string& path);      // a file, not a folder
bool folder_exists(const std::string& path);
bool is_read_only(const std::string& path);
bool set_read_only(const std::string& path, bool read_only);

// Every file and folder below root, relative, "\"-separated, sorted; folders
// end with "\".
std::vector<std::string> list_tree(const std::string& root);

// Removes a tree, read-only files included.
void remove_tree(const std::string& path);
