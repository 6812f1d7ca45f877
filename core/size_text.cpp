#include "core/size_text.h"

#include <cstdio>

std::string size_text(std::uint64_t bytes, bool german, int extra_digits) {
  static const char* const units[] = {"MB", "GB", "TB"};
  constexpr int last_unit = 2;
  double value = static_cast<double>(bytes) / (1024.0 * 1024.0);
  int unit = 0;
  // 999.7 MB would show as "1000 MB": that is 0.98 GB.
  while (unit < last_unit && value >= 999.5) {
    value /= 1024.0;
    ++unit;
  }
  const int decimals = (value < 9.995 ? 2 : value < 99.95 ? 1 : 0) + extra_digits;
  char text[64];
  std::snprintf(text, sizeof text, "%.*f %s", decimals, value, units[unit]);
  std::string out = text;
  if (german) {
    const std::size_t point = out.find('.');
    if (point != std::string::npos) out[point] = ',';
  }
  return out;
}

std::pair<std::string, std::string> size_texts_apart(std::uint64_t a, std::uint64_t b, bool german) {
  for (int extra = 0; extra <= 3; ++extra) {
    std::pair<std::string, std::string> texts{size_text(a, german, extra), size_text(b, german, extra)};
    if (texts.first != texts.second || a == b) return texts;
  }
  const char* const unit = german ? " Bytes" : " bytes";
  return {std::to_string(a) + unit, std::to_string(b) + unit};
}
