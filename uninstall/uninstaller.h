#pragma once
// uninstall.exe's work, as its steps, each of which returns an outcome
// (core/outcome.h) as setup.exe's do; exit_code_for turns the first that is
// not go_on into the exit code.
//
//   check_journal  log_inst.dat and its backup list read and planned: what
//                  the runs made, in the installation's places, and what is
//                  refused
//   ask            once, unless silent
//   remove         the plan carried out through the one undo engine
//   report         the counts, what stays and why
//
// Then, once the result went back to the program the user started, the
// journal, the backup list and the program itself go (remove_itself).

#include <optional>
#include <string>
#include <vector>

#include "core/outcome.h"
#include "core/settings.h"
#include "engine/journal_runs.h"
#include "engine/test_hooks.h"
#include "engine/undo_plan.h"
#include "payload/digest.h"
#include "system/shell_registry.h"
#include "ui/program_shell.h"
#include "uninstall/uninstall_messages.h"
#include "uninstall/uninstall_options.h"

class Uninstaller {
 public:
  Uninstaller(const UninstallOptions& options, const FolderTable& folders, ProgramShell& shell);
  Uninstaller(const Uninstaller&) = delete;
  Uninstaller& operator=(const Uninstaller&) = delete;

  // Runs the steps; the outcome of the last.
  Outcome run();
  // After the result went to the program the user started, and it ended:
  // this program's file, the journal, the backup list and their folders. An
  // uninstall that left anything keeps them, so that it can be run again.
  void remove_itself() const;

 private:
  Outcome check_journal();
  Outcome ask();
  Outcome remove();
  Outcome report();

  InstallationPlaces places() const;
  std::string installation_folder() const;
  std::string product_text(int text, std::int32_t offset) const;

  const UninstallOptions& o_;
  const FolderTable& folders_;
  ProgramShell& shell_;
  const ShellRegistry registry_;
  mutable Tdigest checksum_;
  const TestHooks hooks_;
  std::string program_;
  std::string journal_;
  std::string backup_list_;
  std::string journal_bytes_;
  JournalRuns runs_;
  std::optional<InstallationPlaces> places_;
  UndoPlan plan_;
  UninstallReport report_;
  std::vector<std::string> retry_folders_;
  bool finishing_ = false;
};
