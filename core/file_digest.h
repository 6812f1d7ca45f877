#pragma once
// The SHA-256 of a file's bytes. Unlike the payload's checksums it is a
// digest nobody can match with other bytes of their choosing: a file saved
// aside goes back only with the bytes it had.

#include <windows.h>

#include <memory>
#include <string>

// Holds one read buffer, for any number of files.
class FileDigester {
 public:
  FileDigester() = default;
  FileDigester(const FileDigester&) = delete;
  FileDigester& operator=(const FileDigester&) = delete;

  // 64 upper-case hexadecimal digits of the SHA-256 of the file's bytes,
  // read through file from its start; empty when they cannot be read.
  std::string digest(HANDLE file) const;

 private:
  mutable std::unique_ptr<unsigned char[]> buffer_;
};

// The same with a digester of its own, for a single file.
std::string file_sha256(HANDLE file);
