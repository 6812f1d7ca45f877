#pragma once
// setup.exe from its start to its exit, as its steps, each of which returns
// an outcome (core/outcome.h): the run goes on while a step says go_on, and
// the first other outcome is how it ends, its exit code the one
// exit_code_for gives.
//
//   check_payload     every byte of the payload, every entry's place
//   choose_paths      the dialogs, or a silent run's paths and their checks
//   find_stopped_run  a run into the folder stopped before it ended, or else
//                     the drives' free space and the write test, which
//                     begins this run's record
//   undo_stopped_run  only when one was found: undo it, or leave it as it is
//   install           the files, the failure's rollback, the saved files
//   finish            the shortcuts, the entry, the journal file
//   report            the success report
//
// The steps are spread over setup_sequence_win.cpp (the outline, the payload
// and the paths), free_space_win.cpp, stopped_run_win.cpp and
// install_steps_win.cpp.

#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/options.h"
#include "core/outcome.h"
#include "core/settings.h"
#include "engine/install_plan.h"
#include "engine/install_run.h"
#include "engine/places.h"
#include "engine/run_record.h"
#include "engine/run_record_file.h"
#include "engine/saved_files.h"
#include "engine/space_needed.h"
#include "engine/test_hooks.h"
#include "engine/undo.h"
#include "payload/digest.h"
#include "payload/payload_check.h"
#include "payload/payload_layout.h"
#include "payload/payload_resource.h"
#include "payload/payload_source.h"
#include "payload/volume_index.h"
#include "system/shell_registry.h"
#include "system/uninstall_registration.h"
#include "ui/program_shell.h"

class Questions;

// The catalogue's reason for a volume that cannot be used.
Msg volume_reason(VolumeFault fault);

class SetupSequence {
 public:
  SetupSequence(InstallerSettings& settings, Tdigest& checksum, const ShellRegistry& registry,
                const ShellOptions& shell);
  SetupSequence(const SetupSequence&) = delete;
  SetupSequence& operator=(const SetupSequence&) = delete;

  // Runs every step and returns the exit code.
  int run(const std::vector<std::string>& arguments);

 private:
  // The steps.
  Outcome check_payload();
  Outcome choose_paths();
  Outcome find_stopped_run();
  Outcome undo_stopped_run();
  Outcome install();
  Outcome finish();
  Outcome report();

  // How the chosen folder stands once it is settled: a stopped run's record
  // found there, or this run's write test done.
  enum class Folder { unsettled, stopped_run_found, probed, refused, no_space };
  Folder settle_folder();
  bool look_for_stopped_run();
  Outcome refuse_stopped_run(const UndoPlan& plan);

  bool plan_installation();
  Outcome check_volumes_beside();
  Outcome check_program_blocks();
  bool retry_volume(const VolumeProblem& problem);
  Outcome payload_failed();
  std::optional<DriveNeed> drive_too_small();
  Outcome choose_silent_paths();
  bool backup_folder_usable();
  void log_folders();
  void load_product_texts(std::int32_t offset);

  InstallationPlaces places();
  UndoContext undo_context();
  UndoOutcome roll_back();
  Outcome after_rollback(const UndoOutcome& outcome, std::int32_t saved);
  void report_rollback(std::int32_t saved);
  void report_record_failure();
  void write_leftovers();
  bool write_final_journal();
  bool uninstaller_written() const;
  std::string journal_file_path() const;

  InstallerSettings& s_;
  Tdigest& checksum_;
  const ShellRegistry& registry_;
  ProgramShell shell_;
  const TestHooks hooks_;
  RunRecordFile record_;
  SavedFiles saved_files_;
  InstallRun run_;
  std::unique_ptr<Questions> questions_;

  // The payload: the container, or the volume index; its entries; its data.
  std::optional<LoadedContainer> container_;
  std::optional<VolumeIndex> volume_index_;
  BlockRegion program_blocks_;  // a compressed payload's blocks in the program
  PayloadLayout layout_;
  std::unique_ptr<PayloadSource> source_;
  std::optional<InstallPlan> plan_;
  std::vector<PlannedFile> planned_files_;  // the payload's files, for the free-space check
  ProductNames names_;
  ProductRelease release_;
  std::vector<std::string> shell_folders_;
  Folder folder_ = Folder::unsettled;
  std::optional<StoppedRun> stopped_;  // found by look_for_stopped_run
  std::string stopped_path_;
  std::vector<std::int32_t> written_;  // the entries the files step wrote whole
  bool files_failed_ = false;
  bool delete_saved_after_journal_ = false;
  std::optional<UninstallKeySnapshot> entry_before_;
  unsigned long journal_error_ = 0;
};
