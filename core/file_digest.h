#pragma once
// The SHA-256 of a file's bytes, from the system's own cryptography (BCrypt,
// looked up by name: systems before Vista lack it). Unlike the payload's
// checksums it is a digest nobody can match with other bytes of their
// choosing: a file saved aside goes back only with the bytes it had.

#include <windows.h>

#include <string>

// 64 upper-case hexadecimal digits of the SHA-256 of the file's bytes, read
// through file from its start; empty when they cannot be read or the system
// has no SHA-256.
std::string file_sha256(HANDLE file);
