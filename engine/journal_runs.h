#pragma once
// log_inst.dat and its backup list read back as the runs of the setup that
// wrote them, for the uninstall. A run's records end with the record of the
// journal file itself; the backup list ties its lines to a run by where that
// run's records end (engine/backup_list.h).

#include <string>
#include <string_view>
#include <vector>

#include "engine/recorded_run.h"
#include "engine/undo_plan.h"

struct JournalRuns {
  std::vector<RecordedRun> runs;         // oldest first
  std::vector<RefusedRecord> unreadable; // lines that are no record the setup writes, each with why
  int records = 0;                       // lines of the kinds the setup writes
};

// journal_path: where log_inst.dat lies (its own record ends each run).
JournalRuns read_journal_runs(std::string_view journal, std::string_view backup_list,
                              const std::string& journal_path);
