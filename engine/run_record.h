#pragma once
// The stopped-run record: while a run changes the machine, every change is
// announced in this record before it is made (core/write_ahead.h). A run
// that ends deletes the record; one that is killed leaves it, and the next
// run into the same installation folder finds it before it changes anything
// and can put the machine back as it was before the stopped run.
//
// The record lies in the temporary folder, named after the installation
// folder (run_record_path), so that it exists before the first folder of the
// installation does. It is never part of log_inst.dat.
//
// Lines (8-bit, CR LF), in the order they were announced; each announces a
// change that may or may not have happened when the run was stopped:
//   "DIR:" folder               a folder about to be made where none was
//   "FILE:" file                a file about to be created where nothing was
//   "APP:" key                  the Add/Remove Programs entry about to be written
//   "*BACKUP:" folder           the run's backup folder (names it; no change)
//   "*SAVE:" original "|" saved "|" attributes
//                               a file (or empty folder) about to be moved
//                               into the backup folder, and the attributes
//                               it had (decimal), which the move may lose
//   "*LINKWAS:" path "|" hex    a link of an earlier installation, as it was
//                               before this run saves its own over it
//   "*APPWAS:" key              an entry of an earlier installation under the
//                               same key, before this run writes it; then
//   "*APPVALUE:" key "|" name "|" type "|" hex   per value it held
//   "*JOURNALWAS:" path "|" n   an earlier log_inst.dat of n bytes, about to
//                               be appended to
//   "*NOT:" line                the change that line announced did not happen
//   "*DONE"                     the installation is complete and journaled;
//                               only deleting the saved files may be unfinished
// A last line without CR LF (cut short by a power loss) is ignored.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "core/write_ahead.h"

// The record of a run into install_dir, in the folder temp (the temporary
// folder): "Installer_unfinished_" and 16 hexadecimal digits of a checksum of
// the installation folder's name (letter case folded, one trailing "\").
std::string run_record_path(const std::string& temp, const std::string& install_dir);

// The record as the run sequence keeps it: created by the write probe, the
// first step that changes anything, and kept until the run ends.
class RunRecordSink : public WriteAhead {
 public:
  // Starts the record of a run into install_dir. False when it cannot be
  // made, also when a record is there already (a stopped run's).
  virtual bool begin(const std::string& install_dir) = 0;
  virtual bool is_open() const = 0;
  // The record a stopped run into install_dir left, as bytes; nothing when
  // there is none. Never this run's own.
  virtual std::optional<std::string> left_by_stopped_run(const std::string& install_dir) const = 0;
  // Makes the lines so far survive a power loss (they survive a killed
  // process as soon as they are announced).
  virtual void checkpoint() = 0;
  // Takes over the record a stopped run into install_dir left: this run
  // appends to it while it undoes that run, so that an undo stopped in turn
  // is finished by the next run.
  virtual bool resume(const std::string& install_dir) = 0;
  // Closes and deletes this run's record: the run it records is over.
  virtual void discard() = 0;

 protected:
  ~RunRecordSink() = default;
};

namespace run_record {
constexpr std::string_view backup = "*BACKUP:";
constexpr std::string_view save = "*SAVE:";
constexpr char separator = '|';  // never part of a Windows path
constexpr std::string_view link_was = "*LINKWAS:";
constexpr std::string_view app_was = "*APPWAS:";
constexpr std::string_view app_value = "*APPVALUE:";
constexpr std::string_view journal_was = "*JOURNALWAS:";
constexpr std::string_view withdrawn = "*NOT:";
constexpr std::string_view done = "*DONE";

std::string save_line(const SavedItem& item);
std::string link_was_line(std::string_view path, std::string_view bytes);
std::string app_value_line(std::string_view key, std::string_view name, std::uint32_t type, std::string_view data);
std::string journal_was_line(std::string_view path, std::uint64_t length);
}  // namespace run_record

// One value of an Add/Remove Programs entry as it was before the run.
struct EntryValue {
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};

// What a stopped run may have done, read back from its record.
struct StoppedRun {
  std::vector<std::string> records;  // "DIR:", "FILE:", "APP:" announced, in order; withdrawn ones left out
  std::string backup_dir;
  BackupState backup;                // every move it announced, the folders made for them
  // What earlier installations had where the run put its links, entry and
  // journal: an undo puts these back instead of deleting them.
  std::map<std::string, std::string> links_before;                 // path -> the link file's bytes
  std::map<std::string, std::vector<EntryValue>> entries_before;   // key -> its values
  std::map<std::string, std::uint64_t> journals_before;            // path -> its length
  bool done = false;                 // "*DONE": nothing to undo, only saved files to delete

  // True when the run announced no change at all.
  bool empty() const {
    return records.empty() && backup.items.empty() && backup.created_dirs.empty() && links_before.empty() &&
           entries_before.empty() && journals_before.empty() && !done;
  }
};

// Parses the record's bytes; lines of other kinds are ignored.
StoppedRun parse_run_record(std::string_view bytes);

// The tests' stop hook, SETUP_TEST_STOP_AT=<prefix>[*<suffix>]#<n>: the
// process ends itself right after announcing the n-th line that starts with
// prefix (and ends with suffix), before the change is made, as a kill there
// would. Anything else in the variable sets no hook.
class StopHook {
 public:
  explicit StopHook(std::string_view setting);
  // True when the process is to stop after this line.
  bool stop_after(std::string_view line);

 private:
  std::string prefix_;
  std::string suffix_;
  long countdown_ = 0;
};
