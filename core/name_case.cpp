#include "core/name_case.h"

std::string fold_name_case(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    const auto b = static_cast<unsigned char>(c);
    unsigned char upper = b;
    if (b >= 'a' && b <= 'z') upper = static_cast<unsigned char>(b - 32);
    else if (b == 0x9A || b == 0x9C || b == 0x9E) upper = static_cast<unsigned char>(b - 16);  // š œ ž
    else if (b == 0xFF) upper = 0x9F;                                                           // ÿ
    else if (b >= 0xE0 && b <= 0xFE && b != 0xF7) upper = static_cast<unsigned char>(b - 32);   // à..þ, not ÷
    c = static_cast<char>(upper);
  }
  return folded;
}
