#include "tests/driver/log.h"

namespace driver {

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string escape(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (u < 0x20 || u == 0x7F) {
          out += "\\x";
          out += kHex[u >> 4];
          out += kHex[u & 15];
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::optional<std::string> unescape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case '\\': out += '\\'; break;
      case '"': out += '"'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'x': {
        const int hi = i + 1 < text.size() ? hex_digit(text[i + 1]) : -1;
        const int lo = i + 2 < text.size() ? hex_digit(text[i + 2]) : -1;
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default: return std::nullopt;
    }
  }
  return out;
}

Log::Log() : start_(GetTickCount()) {}

bool Log::open_file(const std::string& path) {
  file_.reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file_);
}

DWORD Log::elapsed_ms() const { return GetTickCount() - start_; }

void Log::write(const std::string& line) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%6lu ms] ", static_cast<unsigned long>(elapsed_ms()));
  lines_.push_back(line);
  stamped_.push_back(stamp + line);
  const std::string& full = stamped_.back();
  if (file_) {
    // Written at once and unbuffered, so a killed driver leaves a complete log.
    const std::string record = full + "\r\n";
    DWORD written = 0;
    WriteFile(file_.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  }
  if (echo_) {
    std::fputs(full.c_str(), echo_);
    std::fputc('\n', echo_);
    std::fflush(echo_);
  }
}

std::string Log::text() const {
  std::string out;
  for (const std::string& line : stamped_) out += line + "\n";
  return out;
}

}  // namespace driver
