#include "engine/journal_file.h"

#include "engine/backup_list.h"

namespace {

std::string beside_uninstaller(std::string_view uninstaller_path, const char* name) {
  if (!uninstaller_path.empty() && uninstaller_path.front() == '\\') uninstaller_path.remove_prefix(1);
  const auto last = uninstaller_path.rfind('\\');
  std::string path;
  if (last != std::string_view::npos) path.assign(uninstaller_path.substr(0, last + 1));
  return path + name;
}

}  // namespace

std::string journal_file_relative_path(std::string_view uninstaller_path) {
  return beside_uninstaller(uninstaller_path, journal_file_name);
}

std::string backup_list_relative_path(std::string_view uninstaller_path) {
  return beside_uninstaller(uninstaller_path, backup_list_name);
}
