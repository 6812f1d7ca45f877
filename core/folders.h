#pragma once
// Folder creation, optionally recording each created folder in the journal as
// "DIR:" + path, outermost first, right after it was made. A folder that
// already existed is never journaled.
//
// With a write-ahead record, each folder is announced there as "DIR:" + path
// before it is made (and withdrawn when it could not be), so that a run
// killed at any moment can be undone.
//
// A path longer than 255 characters is refused rather than cut, and so is a
// folder whose record would not fit: it is never created unjournaled.

#include <string>

class Tstring_writer;
class WriteAhead;

// One level; true when the folder was created now (false when it existed).
bool make_dir(const std::string& path, WriteAhead* ahead = nullptr);
bool make_dir_journaled(const std::string& path, Tstring_writer& journal, WriteAhead* ahead = nullptr);

// The folder and its missing parents. False when the folder already existed
// (callers that only need it to exist ignore the result). A folder that cannot
// be made leaves the ones made before it, with their records.
bool force_dirs(const std::string& path, WriteAhead* ahead = nullptr);
bool force_dirs_journaled(const std::string& path, Tstring_writer& journal, WriteAhead* ahead = nullptr);
