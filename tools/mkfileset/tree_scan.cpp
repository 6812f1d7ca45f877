#include "tools/mkfileset/tree_scan.h"

#include <algorithm>
#include <limits>
#include <map>
#include <string_view>
#include <system_error>

#include "core/name_case.h"
#include "core/paths.h"
#include "core/short_string.h"
#include "payload/fileset_format.h"
#include "tools/common/cp1252.h"

namespace fs = std::filesystem;

namespace {

class Scanner {
 public:
  explicit Scanner(const fs::path& root) : root_(root) {}

  TreeScan run() {
    std::error_code ec;
    const fs::file_status status = fs::status(root_, ec);
    if (ec || !fs::exists(status)) return failed("'" + root_.string() + "' does not exist");
    if (!fs::is_directory(status)) return failed("'" + root_.string() + "' is not a folder");
    if (!walk(root_, "")) return failed(error_);

    auto by_name = [](const ScannedEntry& a, const ScannedEntry& b) {
      if (a.folder != b.folder) return a.folder;
      return a.name < b.name;  // std::string compares bytes as unsigned char
    };
    std::sort(scan_.entries.begin(), scan_.entries.end(), by_name);
    return std::move(scan_);
  }

 private:
  TreeScan failed(std::string error) {
    TreeScan scan;
    scan.error = std::move(error);
    return scan;
  }

  bool refuse(const fs::path& source, const std::string& why) {
    error_ = "'" + source.string() + "': " + why;
    return false;
  }

  bool walk(const fs::path& folder, const std::string& prefix) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return refuse(folder, "cannot read the folder: " + ec.message());
    std::vector<fs::path> children;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) children.push_back(it->path());
    if (ec) return refuse(folder, "cannot read the folder: " + ec.message());
    // Sorted so that a refusal names the same file on every run.
    std::sort(children.begin(), children.end());
    for (const fs::path& child : children) {
      if (!add(child, prefix)) return false;
    }
    return true;
  }

  bool add(const fs::path& source, const std::string& prefix) {
    const std::string component = source.filename().string();
    // A backslash is an ordinary character on Linux but a separator on Windows.
    if (component.find('\\') != std::string::npos) return refuse(source, "the name contains a backslash");
    const auto converted = utf8_to_cp1252(component);
    if (!converted) return refuse(source, "the name cannot be written in Windows-1252");
    const std::string name = prefix.empty() ? *converted : prefix + "\\" + *converted;
    if (name.size() > short_string_max)
      return refuse(source, "the name is longer than 255 bytes below the installation folder");
    if (!is_contained_name(name))
      return refuse(source, "the name is not a valid Windows file name inside the installation folder");
    if (!claim_name(source, name)) return false;

    std::error_code ec;
    const fs::file_status link = fs::symlink_status(source, ec);
    if (ec) return refuse(source, "cannot examine: " + ec.message());
    if (fs::is_directory(link)) {
      scan_.entries.push_back({name, source, true, fileset_folder_size});
      return walk(source, name);
    }
    // Links to regular files are packed as the file they point to; links to
    // folders are refused, which also rules out loops through the tree.
    const fs::file_status target = fs::status(source, ec);
    if (ec || !fs::exists(target)) {
      return refuse(source, fs::is_symlink(link) ? "a symbolic link that leads nowhere or into a loop"
                                                 : "cannot examine: " + ec.message());
    }
    if (fs::is_directory(target)) return refuse(source, "a symbolic link to a folder");
    if (!fs::is_regular_file(target)) return refuse(source, "neither a regular file nor a folder");

    const std::uintmax_t size = fs::file_size(source, ec);
    if (ec) return refuse(source, "cannot read the size: " + ec.message());
    if (size > std::uintmax_t(std::numeric_limits<std::int32_t>::max()))
      return refuse(source, "larger than 2 GiB, the most a container entry can hold");
    scan_.entries.push_back({name, source, false, static_cast<std::int32_t>(size)});
    return true;
  }

  // Windows would see names that differ only in letter case as one file.
  bool claim_name(const fs::path& source, const std::string& name) {
    const auto [it, inserted] = seen_.emplace(fold_name_case(name), source);
    if (inserted) return true;
    return refuse(source, "differs only in letter case from '" + it->second.string() + "'");
  }

  fs::path root_;
  TreeScan scan_;
  std::string error_;
  std::map<std::string, fs::path> seen_;
};

}  // namespace

TreeScan scan_tree(const fs::path& root) { return Scanner(root).run(); }
