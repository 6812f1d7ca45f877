#pragma once
// Where the running program's own file lies.

#include <string>

// Its full path; empty when the system cannot say.
std::string own_program_path();
// The folder it lies in, ending with "\"; empty when unknown.
std::string own_program_folder();
