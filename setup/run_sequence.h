#pragma once
// The program from start-up to exit: the installation's steps in their fixed
// order. A step that fails sets `abort`, which suppresses every later step;
// nothing returns to an earlier step.

#include <string>
#include <vector>

// Runs the whole setup with the program's arguments (without its own path)
// and returns the exit code (core/exit_codes.h).
int run_setup(const std::vector<std::string>& arguments);
