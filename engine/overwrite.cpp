#include "engine/overwrite.h"

#include "engine/install_run.h"
#include "engine/questions.h"

bool may_replace(InstallRun& run, const std::string& path) {
  if (run.settings.overwrite_all || run.replace_all) return true;
  if (!run.questions) return false;
  switch (run.questions->replace_existing(path)) {
    case ReplaceAnswer::replace_all:
      run.replace_all = true;
      return true;
    case ReplaceAnswer::replace_this: return true;
    case ReplaceAnswer::keep: break;
  }
  return false;
}
