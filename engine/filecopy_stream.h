#pragma once
// Tfilecopystream moves file contents: as a memory source it borrows a block
// of bytes (the payload's data, never copied or freed); as a file sink it owns
// one newly created file. A memory source hands its bytes to a sink in one
// write, straight from the payload; the sink can then read its file back
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

  // An empty stream: no bytes, no file.
  void init() { done(); }
  // Closes the sink file if one is open and forgets the borrowed bytes.
  void done();

  // Makes the stream a source of the length bytes at block.
  bool attach_memory(const std::uint8_t* block, std::int32_t length);

  // Makes the stream a sink: creates the file at path for writing and
  // reading, never over anything that exists there, announces it to ahead
  // (when given) before and journals "FILE:" + path right after. When the
  // folder part is missing, it is created with journaling and the file tried
  // once more. A path or record longer than 255 characters is refused
  // untouched.
  CreateResult create_file(const std::string& path, Tstring_writer& journal, WriteAhead* ahead = nullptr);

  // Writes n bytes to the sink file; true exactly when all n were stored.
  bool write_block(const std::uint8_t* p, std::int32_t n);

  // Hands up to n of the source's bytes to the sink. Returns the number of
  // bytes the sink stored, so anything below n means a short or failed write.
  std::int32_t copy_to(Tfilecopystream& sink, std::int32_t n);

  // Reads the sink file from its start through its own handle, size bytes in
  // pieces of at most buffer_size, into hash (reset first). False when fewer
  // bytes come back.
  bool read_back(std::int32_t size, std::uint8_t* buffer, std::uint32_t buffer_size, Xxh3Stream& hash);

  std::int32_t available() const { return readable_ ? count_ : 0; }
  bool is_open() const { return static_cast<bool>(file_); }

 private:
  WinHandle file_;
  const std::uint8_t* buffer_ = nullptr;
  std::int32_t count_ = 0;     // bytes not yet consumed
  std::int32_t position_ = 0;  // offset of the next byte to consume
  bool readable_ = false;
};
