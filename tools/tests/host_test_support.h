#pragma once
// Scratch folders, files and command-line runs for the host tools' tests.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

// A fresh folder below the system's temporary folder, removed with its
// contents at the end. path() is empty when it could not be made.
class HostTempDir {
 public:
  explicit HostTempDir(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + ".XXXXXX")).string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~HostTempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  HostTempDir(const HostTempDir&) = delete;
  HostTempDir& operator=(const HostTempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes contents to path, creating its folders.
inline void write_host_file(const std::filesystem::path& path, const std::string& contents) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << contents;
}

// What a tool's command-line entry point returned and printed.
struct CliResult {
  int code;
  std::string out;
  std::string err;
};

// Calls entry(args, out, err), the testable main of a host tool.
template <typename Entry>
CliResult run_cli(Entry entry, const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = entry(args, out, err);
  return {code, out.str(), err.str()};
}
