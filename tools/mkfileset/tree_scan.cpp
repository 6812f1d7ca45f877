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
#include "tools/common/name_rules.h"

namespace fs = std::filesystem;

namespace {

// Folders first, then files, each by name (bytes compared as unsigned char).
bool scan_order(const ScannedEntry& a, const ScannedEntry& b) {
  if (a.folder != b.folder) return a.folder;
  return a.name < b.name;
}

// True when path is folder or lies below it; both canonical.
bool lies_within(const fs::path& folder, const fs::path& path) {
  return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first == folder.end();
}

// Walks the whole tree and notes every problem, so that a maker sees all bad
// names at once; the scan fails if there was any.
class Scanner {
 public:
  explicit Scanner(const fs::path& root) : root_(root) {}

  TreeScan run() {
    std::error_code ec;
    const fs::file_status status = fs::status(root_, ec);
    if (ec || !fs::exists(status)) return failed("'" + root_.string() + "' does not exist");
    if (!fs::is_directory(status)) return failed("'" + root_.string() + "' is not a folder");
    const fs::path canonical_root = fs::canonical(root_, ec);
    if (ec) return failed("'" + root_.string() + "': " + ec.message());
    walk(root_, canonical_root, "");
    if (!problems_.empty()) {
      std::string error;
      for (const std::string& problem : problems_) error += (error.empty() ? "" : "\n") + problem;
      return failed(std::move(error));
    }

    std::sort(scan_.entries.begin(), scan_.entries.end(), scan_order);
    return std::move(scan_);
  }

 private:
  TreeScan failed(std::string error) {
    TreeScan scan;
    scan.error = std::move(error);
    return scan;
  }

  void refuse(const fs::path& source, const std::string& why) {
    problems_.push_back("'" + source.string() + "': " + why);
  }

  // canonical is where folder really is; while it is being walked, a link
  // back to it is a loop.
  void walk(const fs::path& folder, const fs::path& canonical, const std::string& prefix) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return refuse(folder, "cannot read the folder: " + ec.message());
    std::vector<fs::path> children;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) children.push_back(it->path());
    if (ec) return refuse(folder, "cannot read the folder: " + ec.message());
    // Sorted so that problems are named in the same order on every run.
    std::sort(children.begin(), children.end());
    open_folders_.push_back(canonical);
    for (const fs::path& child : children) add(child, prefix);
    open_folders_.pop_back();
  }

  // The name below the installation folder, or why Windows could not hold
  // it there. Windows-1252 bytes when the name can be written in them.
  std::string entry_name(const std::string& component, const std::string& prefix, std::string& problem) {
    const auto converted = utf8_to_cp1252(component);
    // A backslash is an ordinary character on Linux but a separator on Windows.
    if (component.find('\\') != std::string::npos)
      problem = "holds a backslash, which Windows takes for a folder separator";
    else if (!converted)
      problem = "has a name that cannot be written in Windows-1252";
    else
      problem = windows_name_problem(*converted);
    const std::string part = converted ? *converted : component;
    const std::string name = prefix.empty() ? part : prefix + "\\" + part;
    if (problem.empty() && name.size() > short_string_max)
      problem = "has a name longer than 255 bytes below the installation folder";
    else if (problem.empty() && !is_contained_name(name))
      problem = "has a name that would not stay inside the installation folder";
    return name;
  }

  void add(const fs::path& source, const std::string& prefix) {
    std::string problem;
    const std::string name = entry_name(source.filename().string(), prefix, problem);
    if (!problem.empty()) refuse(source, problem);
    else claim_name(source, name);

    std::error_code ec;
    const fs::file_status link = fs::symlink_status(source, ec);
    if (ec) return refuse(source, "cannot examine: " + ec.message());
    fs::path canonical;  // where the entry really is
    if (fs::is_symlink(link)) {
      canonical = fs::canonical(source, ec);
      if (ec) return refuse(source, "a symbolic link that leads nowhere or into a loop");
      if (!lies_within(open_folders_.front(), canonical))
        return refuse(source, "a symbolic link that leads outside the folder being packed, to '" +
                                  canonical.string() + "'");
    } else {
      canonical = open_folders_.back() / source.filename();
    }
    // Links inside the folder are packed as what they lead to.
    const fs::file_status target = fs::status(source, ec);
    if (ec) return refuse(source, "cannot examine: " + ec.message());
    if (fs::is_directory(target)) {
      if (std::find(open_folders_.begin(), open_folders_.end(), canonical) != open_folders_.end())
        return refuse(source, "a symbolic link to a folder that holds it, which would repeat forever");
      scan_.entries.push_back({name, source, true, fileset_folder_size});
      // Nothing below a name that is already too long can be packed.
      if (name.size() <= short_string_max) walk(source, canonical, name);
      return;
    }
    if (!fs::is_regular_file(target)) return refuse(source, "neither a regular file nor a folder");

    const std::uintmax_t size = fs::file_size(source, ec);
    if (ec) return refuse(source, "cannot read the size: " + ec.message());
    if (size > std::uintmax_t(std::numeric_limits<std::int64_t>::max())) return refuse(source, "cannot take its size");
    scan_.entries.push_back({name, source, false, static_cast<std::int64_t>(size)});
  }

  // Windows would see names that differ only in letter case as one file.
  void claim_name(const fs::path& source, const std::string& name) {
    const auto [it, inserted] = seen_.emplace(fold_name_case(name), source);
    if (!inserted) refuse(source, "differs only in letter case from '" + it->second.string() + "'");
  }

  fs::path root_;
  TreeScan scan_;
  std::vector<std::string> problems_;
  std::vector<fs::path> open_folders_;  // canonical, the root first
  std::map<std::string, fs::path> seen_;
};

}  // namespace

TreeScan scan_tree(const fs::path& root) { return Scanner(root).run(); }

std::string container_problems(const TreeScan& scan) {
  std::string problems;
  for (const ScannedEntry& e : scan.entries) {
    if (!e.folder && e.size > std::numeric_limits<std::int32_t>::max()) {
      problems += "'" + e.source.string() +
                  "': larger than 2 GiB, the most a container entry can hold (volumes can: --volume-size)\n";
    }
  }
  if (!problems.empty()) problems.pop_back();
  return problems;
}

std::vector<FilesetEntry> fileset_entries(const TreeScan& scan) {
  std::vector<FilesetEntry> entries;
  entries.reserve(scan.entries.size());
  for (const ScannedEntry& scanned : scan.entries) {
    FilesetEntry entry;
    entry.name = scanned.name;
    entry.size = scanned.folder ? fileset_folder_size : static_cast<std::int32_t>(scanned.size);
    entries.push_back(std::move(entry));
  }
  return entries;
}

AddMissing add_missing_file(TreeScan& scan, const std::string& name, const fs::path& source) {
  const auto refuse = [&](const std::string& why) {
    scan.error += (scan.error.empty() ? "" : "\n") + ("'" + name + "': " + why);
    return AddMissing::refused;
  };
  if (!is_contained_name(name) || !fits_short(name)) return refuse("not a name inside the installation folder");
  const std::string folded = fold_name_case(name);
  for (const ScannedEntry& e : scan.entries) {
    const std::string other = fold_name_case(e.name);
    if (other == folded) return e.folder ? refuse("a folder of that name is there") : AddMissing::present;
    if (!e.folder && folded.compare(0, other.size() + 1, other + "\\") == 0) return refuse("it would lie below a file");
  }
  std::error_code ec;
  if (!fs::is_regular_file(source, ec)) return refuse("'" + source.string() + "' is no regular file");
  const std::uintmax_t size = fs::file_size(source, ec);
  if (ec || size > std::uintmax_t(std::numeric_limits<std::int64_t>::max())) return refuse("cannot take its size");
  // The folders it needs, then the file, in the scan's order.
  for (std::size_t slash = name.find('\\'); slash != std::string::npos; slash = name.find('\\', slash + 1)) {
    const std::string folder = name.substr(0, slash);
    const std::string f = fold_name_case(folder);
    const bool known = std::any_of(scan.entries.begin(), scan.entries.end(),
                                   [&](const ScannedEntry& e) { return fold_name_case(e.name) == f; });
    if (!known) scan.entries.push_back({folder, source.parent_path(), true, fileset_folder_size});
  }
  scan.entries.push_back({name, source, false, static_cast<std::int64_t>(size)});
  std::sort(scan.entries.begin(), scan.entries.end(), scan_order);
  return AddMissing::added;
}
