#pragma once
// Bytes as upper-case hexadecimal digits, two per byte, and back: how the
// run's record and the backup list keep bytes and digests in a text line.

#include <optional>
#include <string>
#include <string_view>

std::string to_hex(std::string_view bytes);

// Nothing for anything that is not pairs of upper-case hexadecimal digits.
std::optional<std::string> from_hex(std::string_view hex);
