#include "engine/temp_folder.h"

#include <windows.h>

#include "core/environment.h"
#include "core/paths.h"
#include "core/settings.h"

std::string temp_folder(const FolderTable& folders) {
  const std::string temp = environment_value("TEMP");
  if (!temp.empty()) return temp;
  return folders.documents_dir.empty() ? std::string() : join_path(folders.documents_dir, "temp");
}
