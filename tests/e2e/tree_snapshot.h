#pragma once
// A folder tree as the tests compare it before and after a run: every file
// and folder with its bytes and the attributes a user sees.

#include <windows.h>

#include <map>
#include <string>

struct TreeItem {
  DWORD attributes = 0;  // read-only, hidden, system, folder
  std::string bytes;
  bool operator==(const TreeItem& o) const { return attributes == o.attributes && bytes == o.bytes; }
};

using TreeSnapshot = std::map<std::string, TreeItem>;

TreeSnapshot snapshot(const std::string& root);

// The differences, one line each, empty when the trees are equal.
std::string tree_differences(const TreeSnapshot& before, const TreeSnapshot& after);
