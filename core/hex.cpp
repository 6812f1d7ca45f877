#include "core/hex.h"

namespace {

constexpr char digits[] = "0123456789ABCDEF";

int value_of(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string to_hex(std::string_view bytes) {
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  return hex;
}

std::optional<std::string> from_hex(std::string_view hex) {
  if (hex.size() % 2) return std::nullopt;
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = value_of(hex[i]);
    const int low = value_of(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}
