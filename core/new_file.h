#pragma once
// Creating a file that must not exist yet. The file is announced to the
// write-ahead record as "FILE:" + path before it is created, but only once
// the place was found free, so that an undo never takes a file that was
// there before the run for its own.

#include <string>

#include "core/win_handle.h"

class WriteAhead;

// CREATE_NEW with the given access. On failure the handle is empty, the
// announcement withdrawn and the last error tells why: ERROR_FILE_EXISTS
// when something is at path already (nothing was announced then),
// ERROR_PATH_NOT_FOUND when its folder is missing, the record's own error
// when the announcement could not be written (nothing is created then).
// flags: CreateFile's flags and attributes.
WinHandle create_new_file(const std::string& path, unsigned long access, WriteAhead* ahead,
                          unsigned long flags = FILE_ATTRIBUTE_NORMAL);
