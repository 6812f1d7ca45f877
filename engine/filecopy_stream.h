#pragma once
// Tfilecopystream is the sink of one newly created file: the installation
// writes the payload's checked pieces into it and can read the file back
// through the same handle.

#include <cstdint>
#include <string>

#include "core/win_handle.h"

class Tstring_writer;
class WriteAhead;
class Xxh3Stream;

enum class CreateResult {
  created,
  exists,  // something is at the path already: the overwrite policy decides
  failed,
};

class Tfilecopystream {
 public:
  Tfilecopystream() = default;
  ~Tfilecopystream() { done(); }
  Tfilecopystream(const Tfilecopystream&) = delete;
  Tfilecopystream& operator=(const Tfilecopystream&) = delete;

  // Closes the sink file if one is open.
  void done();

  // Makes the stream a sink: creates the file at path for writing and
  // reading, never over anything that exists there, announces it to ahead
  // (when given) before and journals "FILE:" + path right after. When the
  // folder part is missing, it is created with journaling and the file tried
  // once more. A path or record longer than 255 characters is refused
  // untouched.
  // A file of size bytes or more (a block of the payload) is written through
  // to the disk rather than into the cache: large sequential writes go at
  // the disk's speed that way, and a game of many gigabytes does not push
  // everything else out of the cache.
  CreateResult create_file(const std::string& path, Tstring_writer& journal, WriteAhead* ahead = nullptr,
                           std::uint64_t size = 0);

  // Gives the new file its final size before it is written, so that the
  // file system can place it in one piece and a full disk shows before any
  // byte is written. False when the drive cannot hold it.
  bool preallocate(std::uint64_t size);

  // Writes n bytes to the sink file; true exactly when all n were stored.
  bool write_block(const std::uint8_t* p, std::size_t n);

  // Reads the sink file from its start through its own handle, size bytes in
  // pieces of at most buffer_size, into hash (reset first). False when fewer
  // bytes come back.
  bool read_back(std::uint64_t size, std::uint8_t* buffer, std::uint32_t buffer_size, Xxh3Stream& hash);

  bool is_open() const { return static_cast<bool>(file_); }

 private:
  WinHandle file_;
};
