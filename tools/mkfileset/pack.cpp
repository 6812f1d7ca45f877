#include "tools/mkfileset/pack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

namespace fs = std::filesystem;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// Exactly size bytes of path into dest, and nothing left after them.
bool read_exactly(const fs::path& path, std::uint8_t* dest, std::uint32_t size, std::string& error) {
  const File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = "cannot open: " + std::string(std::strerror(errno));
    return false;
  }
  const std::size_t got = size > 0 ? std::fread(dest, 1, size, file.get()) : 0;
  // The probe for a byte after the end can fail too, and a failed read
  // also returns EOF: only ferror tells the two apart.
  const bool more = got == size && std::fgetc(file.get()) != EOF;
  if (std::ferror(file.get())) {
    error = "cannot read: " + std::string(std::strerror(errno));
    return false;
  }
  if (got != size || more) {
    error = "changed size while it was being packed";
    return false;
  }
  return true;
}

// Removes the temporary file unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const fs::path& target) {
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    fd_ = ::mkstemp(pattern.data());
    if (fd_ >= 0) path_ = pattern;
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool created() const { return fd_ >= 0; }

  bool write(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  // Closes and moves the file to target; afterwards nothing is removed.
  bool commit(const fs::path& target) {
    // mkstemp makes the file private; a container is an ordinary build output.
    if (::fchmod(fd_, 0644) != 0) return false;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return false;
    if (std::rename(path_.c_str(), target.c_str()) != 0) return false;
    path_.clear();
    return true;
  }

 private:
  int fd_ = -1;
  std::string path_;
};

// True when path names folder itself or anything below it, links resolved.
bool lies_inside(const fs::path& folder, const fs::path& path) {
  std::error_code ec;
  const fs::path base = fs::canonical(folder, ec);
  if (ec) return false;
  // Made absolute first: a relative path none of which exists yet would
  // come back relative.
  const fs::path absolute = fs::absolute(path, ec);
  if (ec) return false;
  const fs::path target = fs::weakly_canonical(absolute, ec);
  if (ec) return false;
  return std::mismatch(base.begin(), base.end(), target.begin(), target.end()).first == base.end();
}

}  // namespace

FilesetBuild pack_tree(const TreeScan& scan, Tchecksum& checksum) {
  if (!scan.ok()) {
    FilesetBuild refused;
    refused.error = scan.error;
    return refused;
  }
  std::vector<FilesetEntry> entries;
  entries.reserve(scan.entries.size());
  for (const ScannedEntry& scanned : scan.entries) {
    FilesetEntry entry;
    entry.name = scanned.name;
    entry.size = scanned.folder ? fileset_folder_size : scanned.size;
    entries.push_back(std::move(entry));  // file contents come from read_file below
  }
  const FilesetContentSource read_file = [&scan](std::size_t index, std::uint8_t* dest, std::uint32_t size,
                                                 std::string& error) {
    return read_exactly(scan.entries[index].source, dest, size, error);
  };
  FilesetBuild build = build_fileset(entries, read_file, checksum);
  if (!build.ok() && build.failed_entry >= 0) {
    build.error = quoted(scan.entries[static_cast<std::size_t>(build.failed_entry)].source) + ": " + build.error;
  }
  return build;
}

PackOutcome pack_directory(const fs::path& root, const fs::path& output, Tchecksum& checksum) {
  PackOutcome outcome;
  // A second run would pack the first run's output along with the files.
  if (lies_inside(root, output)) {
    outcome.error = quoted(output) + ": the output file must not lie inside the folder being packed";
    return outcome;
  }
  const TreeScan scan = scan_tree(root);
  if (!scan.ok()) {
    outcome.error = scan.error;
    return outcome;
  }
  const FilesetBuild build = pack_tree(scan, checksum);
  if (!build.ok()) {
    outcome.error = build.error;
    return outcome;
  }
  if (!write_file_atomically(output, build.bytes, outcome.error)) return outcome;
  outcome.entries = static_cast<std::int32_t>(scan.entries.size());
  outcome.bytes = build.bytes.size();
  return outcome;
}

bool write_file_atomically(const fs::path& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
  TemporaryFile temporary(path);
  if (!temporary.created()) {
    error = quoted(path) + ": cannot create a file there: " + std::strerror(errno);
    return false;
  }
  if (!temporary.write(bytes.data(), bytes.size()) || !temporary.commit(path)) {
    error = quoted(path) + ": cannot write: " + std::strerror(errno);
    return false;
  }
  return true;
}

bool read_whole_file(const fs::path& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    error = quoted(path) + ": not a readable file";
    return false;
  }
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec) {
    error = quoted(path) + ": " + ec.message();
    return false;
  }
  bytes.assign(static_cast<std::size_t>(size), 0);
  const File file(std::fopen(path.c_str(), "rb"));
  if (!file || (size > 0 && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())) {
    error = quoted(path) + ": cannot read: " + std::strerror(errno);
    return false;
  }
  return true;
}
