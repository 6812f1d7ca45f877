#pragma once
// File helpers of the packer: outputs written to temporary files that take
// their place only when complete, and inputs read exactly at the size they
// were scanned with.

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string quoted(const std::filesystem::path& path);
std::string errno_text();

// Removes the temporary file unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::filesystem::path& target);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool created() const { return fd_ >= 0; }
  bool write(const std::uint8_t* data, std::size_t size);
  bool write_at(off_t offset, const std::uint8_t* data, std::size_t size);
  // Closes and moves the file to target; afterwards nothing is removed.
  bool commit(const std::filesystem::path& target);

 private:
  int fd_ = -1;
  std::string path_;
};

// Reads exactly size bytes of path through buffer, handing each piece to
// consume, and refuses a file that is shorter or longer than size by now.
// consume returns false to stop (its reason then goes into error).
bool read_file_exactly(const std::filesystem::path& path, std::uint64_t size, std::vector<std::uint8_t>& buffer,
                       const std::function<bool(const std::uint8_t*, std::size_t)>& consume, std::string& error);

// Reads exactly size bytes of path from offset on into out; a file that ends
// before them is refused.
bool read_file_range(const std::filesystem::path& path, std::uint64_t offset, std::uint8_t* out, std::size_t size,
                     std::string& error);
