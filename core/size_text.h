#pragma once
// Sizes as people read them, in the units Windows shows: MB, GB and TB of
// 1024 each, three significant digits ("1.50 MB", "15.2 GB", "152 GB"), and
// in German with a decimal comma ("1,50 MB").

#include <cstdint>
#include <string>
#include <utility>

// extra_digits: that many more decimals than three significant digits give.
std::string size_text(std::uint64_t bytes, bool german, int extra_digits = 0);

// Two different sizes in texts that differ too: more decimals when the two
// would read alike, and at last the bytes.
std::pair<std::string, std::string> size_texts_apart(std::uint64_t a, std::uint64_t b, bool german);
