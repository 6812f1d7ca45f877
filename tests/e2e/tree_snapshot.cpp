#include "tests/e2e/tree_snapshot.h"

#include "tests/support/win_fs.h"

TreeSnapshot snapshot(const std::string& root) {
  TreeSnapshot tree;
  for (const std::string& name : list_tree(root)) {
    const std::string path = root + "\\" + name;
    TreeItem item;
    item.attributes = GetFileAttributesA(path.c_str()) &
                      (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
    if (name.back() != '\\') item.bytes = read_file(path).value_or("<unreadable>");
    tree[name] = item;
  }
  return tree;
}

std::string tree_differences(const TreeSnapshot& before, const TreeSnapshot& after) {
  std::string out;
  for (const auto& [name, item] : before) {
    const auto it = after.find(name);
    if (it == after.end()) out += "missing: " + name + "\n";
    else if (!(it->second == item)) out += "changed: " + name + "\n";
  }
  for (const auto& [name, item] : after) {
    if (!before.count(name)) out += "added: " + name + "\n";
  }
  return out;
}
