#pragma once
// What one run of the setup did, as read back for an undo: from this run's
// own journal, from the record a run that was stopped left, or from
// log_inst.dat and the backup list beside it. The undo plan
// (engine/undo_plan.h) turns runs into steps.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/settings.h"

// One file or folder a run moved into its backup folder: where it was,
// where it went, the attributes it had (0: not known), and the SHA-256 of its
// bytes taken before the move, as 64 hexadecimal digits (empty for an empty
// folder). It goes back only while its bytes still have that digest.
struct SavedItem {
  std::string original;
  std::string saved;
  std::uint32_t attributes = 0;
  std::string digest;
};

// One value of an Add/Remove Programs entry as it was before the run.
struct EntryValue {
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};

struct RecordedRun {
  // "DIR:", "FILE:", "APP:" and the write test's untagged record, in the
  // order made.
  std::vector<std::string> records;
  std::string backup_dir;                     // where it saved replaced files; empty for nowhere
  std::vector<SavedItem> saved;               // what it moved there, in order
  std::vector<std::string> backup_dirs_made;  // folders made for the backup folder, in order
  std::vector<std::string> menu_dirs;         // the start-menu folders it was to use
  // What earlier installations had where the run put its links, entry and
  // journal: an undo puts these back instead of deleting them.
  std::map<std::string, std::string> links_before;                // path -> the link file's bytes
  std::map<std::string, std::vector<EntryValue>> entries_before;  // key -> its values
  std::map<std::string, std::uint64_t> journals_before;           // path -> its length
};
