#include "engine/stopped_run.h"

#include "engine/backup_cleanup.h"
#include "engine/run_record.h"

bool stopped_run_to_undo(RunRecordSink& record, const std::string& install_dir) {
  const std::optional<std::string> bytes = record.left_by_stopped_run(install_dir);
  if (!bytes) return false;
  const StoppedRun run = parse_run_record(*bytes);
  if (!run.empty() && !run.done) return true;
  if (run.done) delete_saved_files(run.backup);
  if (record.resume(install_dir)) record.discard();
  return false;
}
