#pragma once
// The backup list: log_backup.dat, beside log_inst.dat. It keeps, for the
// uninstall, what an installation saved of what was there before it, so
// that the uninstall puts back exactly that and nothing else:
//
//   "SAVED:" original "|" saved "|" attributes "|" SHA-256
//            a replaced file kept in the run's backup folder ("RDIR:"), where
//            it was, its attributes (decimal) and the digest of its bytes (64
//            hexadecimal digits; empty for an empty folder)
//   "MADE:" folder      a folder the run made for its backup folder
//   "LINK:" path "|" hex
//            a shortcut that was at the place of one of the run's own, as
//            its bytes
//   "RUN:" n            ends the lines of the run whose records in
//                       log_inst.dat end at byte n
//
// Lines are 8-bit text ending CR LF, in the order written; a run appends its
// lines and its "RUN:" line when it writes its journal. log_inst.dat keeps
// its own form: a game's own uninstaller reads it, and knows nothing of this
// list (it is journaled as a file of the installation, so that one removes
// it too).

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "engine/recorded_run.h"

constexpr const char* backup_list_name = "log_backup.dat";

namespace backup_list {
constexpr std::string_view saved = "SAVED:";
constexpr std::string_view made = "MADE:";
constexpr std::string_view link = "LINK:";
constexpr std::string_view run = "RUN:";
}  // namespace backup_list

// The lines of one run: the saved items and folders made for them when the
// run keeps them, the shortcuts it replaced, then its "RUN:" line. Empty
// when there is nothing to keep.
std::string backup_list_lines(const std::vector<SavedItem>& kept, const std::vector<std::string>& made,
                              const std::map<std::string, std::string>& links, std::uint64_t journal_end);

struct BackupListRun {
  std::uint64_t journal_end = 0;
  std::vector<SavedItem> saved;
  std::vector<std::string> made;
  std::map<std::string, std::string> links;
};

struct BackupList {
  std::vector<BackupListRun> runs;
  std::vector<std::string> unreadable;  // lines that are none of the above, or that no "RUN:" line ends
};

BackupList parse_backup_list(std::string_view bytes);
