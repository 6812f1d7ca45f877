#pragma once
// Removing folder trees. Links are never followed: a junction or symbolic
// link (a reparse point) found in a tree is removed itself, as a link, and
// never entered, so nothing outside the tree is touched.
//
// "Gone" counts as done: a path that no longer exists (file or path not
// found) is reported as removed.

#include <string>

// Removes the folder and every folder below it that holds no files; files are
// left alone, and so are the folders holding them. True when the folder no
// longer exists afterwards (also when the path is empty).
bool remove_empty_tree(const std::string& folder);

// Removes the folder with everything in it, read-only files too. A file that
// cannot be deleted is skipped; the folders holding it then stay. True when
// the folder no longer exists afterwards (also when the path is empty).
bool delete_tree(const std::string& folder);

// Removes a file (read-only too), a link, or an empty folder at path; never
// anything inside a folder. True when nothing is there afterwards.
bool delete_file_or_empty_folder(const std::string& path);

// Removes one empty folder; true also when it is gone already.
bool remove_folder(const std::string& folder);

// True when the error means the path is not there (2 or 3).
bool is_gone_error(unsigned long error);
