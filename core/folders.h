#pragma once
// Folder creation, optionally recording each created folder in the journal as
// "DIR:" + path, outermost first, right after it was made. A folder that
// already existed is never journaled.
//
// A path longer than 255 characters is refused rather than cut, and so is a
// folder whose record would not fit: it is never created unjournaled.

#include <string>

class Tstring_writer;

// One level; true when the folder was created now (false when it existed).
bool make_dir(const std::string& path);
bool make_dir_journaled(const std::string& path, Tstring_writer& journal);

// The folder and its missing parents. False when the folder already existed
// (callers that only need it to exist ignore the result). A folder that cannot
// be made leaves the ones made before it, with their records.
bool force_dirs(const std::string& path);
bool force_dirs_journaled(const std::string& path, Tstring_writer& journal);
