#pragma once
// log_inst.dat: the journal as an 8-bit text file, one record per line, each
// line ending CR LF, no header. A run appends to an existing file at the same
// path. The game's uninstaller reads it.

#include <string>
#include <string_view>

class Tstring_writer;

constexpr const char* journal_file_name = "log_inst.dat";

// Where the file lies below the installation folder: next to the game's
// uninstaller (uninstaller_path is relative to that folder, with or without
// a leading "\"), for example "uninst\log_inst.dat".
std::string journal_file_relative_path(std::string_view uninstaller_path);

// Creates the file's folder (journaled), then appends every record and
// "FILE:" + path, so that the file lists itself last. The journal in memory
// gets that record only when the file was written whole. False when it could
// not be; its earlier content is then left as it was. A path whose record would not fit is refused: nothing is
// created or journaled.
bool write_journal_file(Tstring_writer& journal, const std::string& path);
