#pragma once
// What one run of the setup holds while it changes the machine: the state of
// the run, beside the settings record of its options and paths. The run
// sequence owns it and hands it to the steps that change anything.

#include <map>
#include <string>
#include <vector>

#include "core/settings.h"
#include "engine/recorded_run.h"

class ProgressSink;
class Questions;
class RunRecordSink;
class SavedFiles;

// What the run did in its backup folder, so that clean-up and rollback act
// on exactly that and never on other contents of a folder given with "-p".
struct BackupState {
  // Folders this run made for it, in the order made: missing parents, the
  // backup folder itself, folders below it.
  std::vector<std::string> created_dirs;
  std::vector<SavedItem> items;  // what it moved there, in order
  // Shortcuts this run put its own in place of: path -> the bytes they had.
  std::map<std::string, std::string> links_replaced;
};

struct InstallRun {
  explicit InstallRun(InstallerSettings& s) : settings(s) {}

  InstallerSettings& settings;
  BackupState backup;
  // Hears of each file the run writes: an interactive run's progress window
  // and the "-W" log.
  ProgressSink* progress = nullptr;
  // The stopped-run record, while it is open.
  RunRecordSink* record = nullptr;
  // The files this run saved, held open until it ends.
  SavedFiles* saved_files = nullptr;
  // Who answers the run's questions: the user, or the options.
  Questions* questions = nullptr;
  // A "replace all" answer, or -O: every later file in the way is replaced
  // without asking.
  bool replace_all = false;
};
