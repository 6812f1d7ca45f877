#include "tools/mkfileset/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace fs = std::filesystem;

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

std::string errno_text() { return std::strerror(errno); }

TemporaryFile::TemporaryFile(const fs::path& target) {
  std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  fd_ = ::mkstemp(pattern.data());
  if (fd_ >= 0) path_ = pattern;
}

TemporaryFile::~TemporaryFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!path_.empty()) ::unlink(path_.c_str());
}

bool TemporaryFile::write(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool TemporaryFile::write_at(off_t offset, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd_, data, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    offset += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool TemporaryFile::commit(const fs::path& target) {
  // mkstemp makes the file private; a container is an ordinary build output.
  if (::fchmod(fd_, 0644) != 0) return false;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return false;
  if (std::rename(path_.c_str(), target.c_str()) != 0) return false;
  path_.clear();
  return true;
}

bool read_file_exactly(const fs::path& path, std::uint64_t size, std::vector<std::uint8_t>& buffer,
                       const std::function<bool(const std::uint8_t*, std::size_t)>& consume, std::string& error) {
  const File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = "cannot open: " + errno_text();
    return false;
  }
  std::uint64_t left = size;
  while (left > 0) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
    if (std::fread(buffer.data(), 1, n, file.get()) != n) break;
    if (!consume(buffer.data(), n)) return false;
    left -= n;
  }
  // The probe for a byte after the end can fail too, and a failed read
  // also returns EOF: only ferror tells the two apart.
  const bool more = left == 0 && std::fgetc(file.get()) != EOF;
  if (std::ferror(file.get())) {
    error = "cannot read: " + errno_text();
    return false;
  }
  if (left != 0 || more) {
    error = "changed size while it was being packed";
    return false;
  }
  return true;
}

bool read_file_range(const fs::path& path, std::uint64_t offset, std::uint8_t* out, std::size_t size,
                     std::string& error) {
  const File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = "cannot open: " + errno_text();
    return false;
  }
  if (::fseeko(file.get(), static_cast<off_t>(offset), SEEK_SET) != 0) {
    error = "cannot read: " + errno_text();
    return false;
  }
  if (std::fread(out, 1, size, file.get()) != size) {
    error = std::ferror(file.get()) ? "cannot read: " + errno_text() : "is shorter than when it was scanned";
    return false;
  }
  return true;
}
