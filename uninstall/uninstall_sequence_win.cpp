#include "uninstall/uninstall_sequence.h"

#include <windows.h>

#include "core/protected_folders.h"
#include "core/settings.h"
#include "engine/temp_folder.h"
#include "system/com_init.h"
#include "system/special_folders.h"
#include "ui/program_shell.h"
#include "uninstall/second_phase.h"
#include "uninstall/uninstall_options.h"
#include "uninstall/uninstaller.h"

// Start-up as setup.exe's (ui/program_shell.h), then the hand-over to a copy
// in the temporary folder, which does the work (uninstall/second_phase.h).
// The log is written by the process that does the work: the copy, or the
// program the user started when no copy could be started.
int run_uninstall(const std::vector<std::string>& arguments) {
  const UninstallOptions options = parse_uninstall_options(arguments);
  ProgramShell shell("uninstall", options.shell);
  bool failed = false;
  const FolderTable folders = discover_folder_table(failed);
  if (failed) {
    shell.open_log(options.german(), options.user_arguments, uninstall_options_line(options));
    shell.log().line("check special folders: the shell could not name them");
    const int code = exit_code_for(Outcome::no_special_folders);
    shell.log().exit_code(code);
    return code;
  }
  const std::string temp = temp_folder(folders);
  if (!options.second_phase) {
    remove_earlier_copies(temp);
    const std::vector<std::string> handed =
        options.shell.log_path.empty() ? options.user_arguments
                                       : with_log_path(options.user_arguments, full_path(options.shell.log_path));
    if (const std::optional<int> code = hand_over(temp, handed)) return *code;
  }
  shell.open_log(options.german(), options.user_arguments, uninstall_options_line(options));
  // The shell's link object tells whose a shortcut is.
  initialise_com();
  Uninstaller uninstaller(options, folders, shell);
  const int code = exit_code_for(uninstaller.run());
  shell.log().exit_code(code);
  if (options.second_phase) {
    send_result(options.result_pipe, code);
    wait_for_original(options.original_process);
  }
  uninstaller.remove_itself();
  return code;
}
