#pragma once
// Carrying out an undo plan (engine/undo_plan.h) on the real file system and
// registry: the one executor of the rollback, the stopped-run undo and the
// uninstall. Every step can be done twice: what is gone already counts as
// done, so an undo that was stopped is finished by the next one.
//
// Beyond the plan's checks of places, each step looks at the path itself
// before it acts: no folder between the place's root and the path may be a
// link (junction or symbolic link), and a path that names a short (8.3) name
// is left alone, since it may stand for another name than it spells.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/messages.h"
#include "engine/undo_plan.h"

class ProgressSink;
class SavedFiles;
class StopHook;
class WriteAhead;

struct LeftItem {
  std::string path;
  Msg why;                 // one of the catalogue's reasons
  std::uint32_t error = 0; // the system's error code, for Msg::reason_error
};

struct UndoOutcome {
  std::int32_t files = 0;       // removed
  std::int32_t folders = 0;
  std::int32_t entries = 0;     // removed or put back
  std::int32_t saved = 0;       // saved files found to put back
  std::int32_t restored = 0;
  std::int32_t unrestored = 0;  // saved files still where they were saved
  std::vector<std::string> changed;  // saved files whose bytes were changed since: never put back
  std::vector<LeftItem> left;   // what should have gone or come back and did not
  std::vector<LeftItem> not_ours;          // shortcuts that now lead elsewhere: left to their owner
  // Steps the file system showed to lie elsewhere than they say (a short
  // name, a link on the way): refused as the plan refuses, not tried.
  std::vector<LeftItem> refused;
  std::vector<std::string> kept_folders;   // folders that hold what the installation did not make
  std::vector<std::string> retry_folders;  // folders left only for the skipped files below them
  std::vector<std::string> records_left;   // the records of what could not be undone, in plan order
};

struct UndoContext {
  std::function<bool(const std::string& key)> remove_entry;
  std::function<bool(const std::string& key, const std::vector<EntryValue>& values)> restore_entry;
  // Whether the shortcut at path leads to something in the installation
  // folder; a link that cannot be read counts as the installation's.
  std::function<bool(const std::string& path)> link_is_ours;
  WriteAhead* ahead = nullptr;      // a restored file's "FILE:" announcement is withdrawn first
  SavedFiles* held = nullptr;       // the files this run saved, held open
  ProgressSink* progress = nullptr; // hears of every step
  StopHook* stop = nullptr;         // the tests' hook: ends the process before the step it names
  // Files the caller removes itself afterwards (the uninstaller's program,
  // journal and backup list): not tried, and a folder holding nothing else
  // goes to retry_folders.
  std::vector<std::string> skipped;
  // While anything is left, the entry stays, so that the user can run the
  // uninstall again from Add/Remove Programs.
  bool keep_entry_while_left = false;
};

UndoOutcome carry_out(const UndoPlan& plan, const UndoContext& context);
