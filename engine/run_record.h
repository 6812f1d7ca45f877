#pragma once
// The stopped-run record: while a run changes the machine, every change is
// announced in this record before it is made (core/write_ahead.h). A run
// that ends deletes the record; one that is killed leaves it, and the next
// run into the same installation folder finds it before it changes anything
// and can put the machine back as it was before the stopped run.
//
// The record lies beside the installation folder, in the nearest folder
// above it that exists when the run begins (run_record_folders), so that it
// exists before the first folder of the installation does, and so that only
// who may make the installation folder there may write it: a setup often
// runs with administrator rights, and a record a user's program could plant
// must not steer it. Its name is "Installer_unfinished_" and 16 hexadecimal
// digits of a checksum of the installation folder's name. It is never part
// of log_inst.dat.
//
// Lines (8-bit, CR LF), in the order they were announced; each announces a
// change that may or may not have happened when the run was stopped:
//   "*MENU:" folder             a start-menu folder the run is to use (names
//                               it; no change)
//   "DIR:" folder               a folder about to be made where none was
//   "FILE:" file                a file about to be created where nothing was
//   "APP:" key                  the Add/Remove Programs entry about to be written
//   "*BACKUP:" folder           the run's backup folder (names it; no change)
//   "*SAVE:" original "|" saved "|" attributes "|" digest
//                               a file (or empty folder) about to be moved
//                               into the backup folder, the attributes it had
//                               (decimal), which the move may lose, and the
//                               SHA-256 of its bytes (64 hexadecimal digits,
//                               empty for a folder): only those bytes go back
//   "*LINKWAS:" path "|" hex    a link that was there before this run puts
//                               its own in its place
//   "*APPWAS:" key              an entry of an earlier installation under the
//                               same key, before this run writes it; then
//   "*APPVALUE:" key "|" name "|" type "|" hex   per value it held
//   "*JOURNALWAS:" path "|" n   an earlier log_inst.dat (or backup list) of n
//                               bytes, about to be appended to
//   "*NOT:" line                the change that line announced did not happen
//   "*DONE"                     the installation is complete and journaled;
//                               only deleting the saved files may be unfinished
// A last line without CR LF (cut short by a power loss) is ignored, and so is
// a line holding a zero byte (an undo that resumes a record writes one, to
// end a line a power loss cut). Any other line the setup does not write makes
// the whole record unreadable: nothing of it is done.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/write_ahead.h"
#include "engine/recorded_run.h"

// The record's file name for a run into install_dir (letter case folded, one
// trailing "\").
std::string run_record_name(const std::string& install_dir);
// The folders it may lie in: every folder above install_dir, nearest first.
std::vector<std::string> run_record_folders(const std::string& install_dir);

// A record larger than this is none a run wrote: about 100 bytes a change.
constexpr std::uint64_t run_record_limit = 128u << 20;

// A record a stopped run left.
struct LeftRecord {
  std::string path;
  std::string bytes;
  // False when it cannot be opened or is larger than any run writes: it is
  // there, so nothing may be installed over it, but nothing of it is done.
  bool readable = true;
};

// The record as the run sequence keeps it: created by the write probe, the
// first step that changes anything, and kept until the run ends.
class RunRecordSink : public WriteAhead {
 public:
  // Starts the record of a run into install_dir. False when it cannot be
  // made, also when a record is there already (a stopped run's).
  virtual bool begin(const std::string& install_dir) = 0;
  virtual bool is_open() const = 0;
  // The record a stopped run into install_dir left; nothing when there is
  // none. Never this run's own.
  virtual std::optional<LeftRecord> left_by_stopped_run(const std::string& install_dir) const = 0;
  // Makes the lines so far survive a power loss (they survive a killed
  // process as soon as they are announced).
  virtual void checkpoint() = 0;
  // Takes over the record a stopped run into install_dir left: this run
  // appends to it while it undoes that run, so that an undo stopped in turn
  // is finished by the next run.
  virtual bool resume(const std::string& install_dir) = 0;
  // Closes and deletes this run's record: the run it records is over.
  virtual void discard() = 0;
  // Whether a line could not be written (and the system's error): from then
  // on every announcement fails, and the run must stop changing anything.
  virtual bool failed() const = 0;
  virtual unsigned long error() const = 0;

 protected:
  ~RunRecordSink() = default;
};

namespace run_record {
constexpr std::string_view menu = "*MENU:";
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

// What a stopped run may have done, read back from its record.
struct StoppedRun : RecordedRun {
  bool done = false;                       // "*DONE": nothing to undo, only saved files to delete
  std::vector<std::string> unreadable;     // lines the setup does not write

  // True when the run announced no change at all.
  bool empty() const {
    return records.empty() && saved.empty() && backup_dirs_made.empty() && links_before.empty() &&
           entries_before.empty() && journals_before.empty() && !done;
  }
};

// Parses the record's bytes.
StoppedRun parse_run_record(std::string_view bytes);

// The tests' stop hook, "<prefix>[*<suffix>]#<n>": the process ends itself
// right after announcing the n-th line that starts with prefix (and ends
// with suffix), before the change is made, as a kill there would. Anything
// else sets no hook. Only test builds read it (engine/test_hooks.h).
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
