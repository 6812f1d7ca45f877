#include "engine/overwrite.h"

#include <windows.h>

#include "core/message_box.h"
#include "core/settings.h"

bool path_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ask_overwrite(const std::string& path, InstallerSettings& settings) {
  const int answer = show_message_text(overwrite_caption, overwrite_question(settings.german(), path),
                                       MB_YESNOCANCEL | MB_ICONEXCLAMATION);
  if (answer == IDYES) settings.overwrite_all = true;
  return answer == IDYES || answer == IDNO;
}
