#pragma once
// Windows compares file names without regard to letter case. For the 8-bit
// (Windows-1252) names of the payload that means: names equal after
// fold_name_case name the same file.

#include <string>
#include <string_view>

// Upper-cases the ASCII and Windows-1252 letters that have a case pair, the
// way Windows compares file names. Letters without a pair (ß, µ, ×, ÷) stay.
std::string fold_name_case(std::string_view name);
