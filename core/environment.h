#pragma once
// The process's environment variables.

#include <string>

// The variable's value; empty when it is not set (or changes while read).
std::string environment_value(const char* name);
