#include "engine/journal_file.h"

std::string journal_file_relative_path(std::string_view uninstaller_path) {
  if (!uninstaller_path.empty() && uninstaller_path.front() == '\\') uninstaller_path.remove_prefix(1);
  const auto last = uninstaller_path.rfind('\\');
  std::string path;
  if (last != std::string_view::npos) path.assign(uninstaller_path.substr(0, last + 1));
  return path + journal_file_name;
}
