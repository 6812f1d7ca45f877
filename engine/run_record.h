#pragma once
// The stopped-run record: while the install step runs, everything it creates
// and every file it moves aside is also written, line by line, to a file in
// the installation folder. A run that ends deletes it; one that is killed or
// loses power leaves it, and the next run into the same folder finds it and
// can put the machine back as it was before the stopped run.
//
// Lines (8-bit, CR LF), in the order things happened:
//   the journal's own records ("DIR:", "FILE:", "APP:", ...), as they are added
//   "*BMADE:" backup folder      the backup folder, made by that run
//   "*BUSED:" backup folder      the backup folder, which existed already ("-p")
//   "*BDIR:" folder              a folder made below the backup folder
//   "*SAVE:" original "|" saved  written before the move, so a move that
//                                happened is never missing from the record
//   "*LINKWAS:" path "|" hex     a link of an earlier installation, as it was
//                                before this run saved its own over it
//   "*APPWAS:" key               an Add/Remove Programs entry of an earlier
//                                installation under the same key, before
//                                this run wrote it; one line
//   "*APPVALUE:" key "|" name "|" type "|" hex   per value it held
// A last line without CR LF (cut short by a power loss) is ignored. The
// record is never part of log_inst.dat.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "engine/string_list.h"

constexpr const char* run_record_file_name = "setup_unfinished.dat";

// Where the install step writes its record: in the installation folder.
std::string run_record_path(const std::string& install_dir);

// Receives the record's lines while the install step runs. The journal's
// records arrive through Tstring_observer.
class RunRecordSink : public Tstring_observer {
 public:
  virtual void write_line(std::string_view line) = 0;
  // Makes the lines so far survive a power loss (they survive a killed
  // process as soon as they are written).
  virtual void checkpoint() = 0;

  void added(std::string_view record) override { write_line(record); }

 protected:
  ~RunRecordSink() = default;
};

namespace run_record {
constexpr std::string_view backup_made = "*BMADE:";
constexpr std::string_view backup_used = "*BUSED:";
constexpr std::string_view backup_subdir = "*BDIR:";
constexpr std::string_view save = "*SAVE:";
constexpr char save_separator = '|';  // never part of a Windows path

constexpr std::string_view link_was = "*LINKWAS:";
constexpr std::string_view app_was = "*APPWAS:";
constexpr std::string_view app_value = "*APPVALUE:";

std::string save_line(const SavedItem& item);
std::string link_was_line(std::string_view path, std::string_view bytes);
std::string app_value_line(std::string_view key, std::string_view name, std::uint32_t type, std::string_view data);
}  // namespace run_record

// One value of an Add/Remove Programs entry as it was before the run.
struct EntryValue {
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};

// What a stopped run left, read back from its record.
struct StoppedRun {
  std::vector<std::string> records;  // journal records, in order
  std::string backup_dir;
  BackupState backup;                // items: every move it announced
  // What earlier installations had where the run saved its links and entry:
  // an undo puts these back instead of deleting them.
  std::map<std::string, std::string> links_before;                 // path -> the link file's bytes
  std::map<std::string, std::vector<EntryValue>> entries_before;   // key -> its values
};

// Parses the record's bytes; lines it does not know are taken as journal records.
StoppedRun parse_run_record(std::string_view bytes);
