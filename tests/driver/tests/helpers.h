#pragma once
// Shared by the driver's tests: where the programs are and how to start
// show_box.exe.

#include <initializer_list>
#include <string>

#include "tests/driver/driver.h"

namespace driver_test {

// A program built next to driver_tests.exe.
std::string sibling(const std::string& name);

// show_box.exe with these arguments (see show_box.cpp).
driver::Process start_show_box(std::initializer_list<std::string> args, const driver::StartOptions& options = {});

// testdriver.exe with these arguments; waits up to timeout_ms.
driver::RunResult run_testdriver(std::initializer_list<std::string> args, DWORD timeout_ms,
                                 const driver::StartOptions& options = {});

// Milliseconds between two QueryPerformanceCounter readings.
double qpc_ms(LONGLONG from, LONGLONG to);
LONGLONG qpc_now();

}  // namespace driver_test
