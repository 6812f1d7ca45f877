#pragma once
// A file read whole into memory: the records, journals and links the
// programs read back, each of which has a size no genuine one exceeds.

#include <cstdint>
#include <optional>
#include <string>

// The file's bytes; nothing when it is missing or cannot be read (the last
// error says why), or is larger than limit (ERROR_FILE_TOO_LARGE).
std::optional<std::string> read_file_bytes(const std::string& path, std::uint64_t limit);
