#pragma once
// The SHA-256 of a file's bytes, from the system's own cryptography (BCrypt,
// looked up by name: systems before Vista lack it). Unlike the payload's
// checksums it is a digest nobody can match with other bytes of their
// choosing: a file saved aside goes back only with the bytes it had.

#include <windows.h>

#include <string>

// Opens the system's SHA-256 once, for any number of files.
class FileDigester {
 public:
  FileDigester();
  ~FileDigester();
  FileDigester(const FileDigester&) = delete;
  FileDigester& operator=(const FileDigester&) = delete;

  // 64 upper-case hexadecimal digits of the SHA-256 of the file's bytes,
  // read through file from its start; empty when they cannot be read or the
  // system has no SHA-256.
  std::string digest(HANDLE file) const;

 private:
  struct Api;
  Api* api_;
  void* algorithm_ = nullptr;
};

// The same with a digester of its own, for a single file.
std::string file_sha256(HANDLE file);
