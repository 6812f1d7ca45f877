#include "core/exit_codes.h"

const ExitCodeInfo exit_code_list[] = {
    {exit_success, "success", "installed",
     "removed; the user's own files and the folders holding them stay", nullptr},
    {exit_folder_discovery_failed, "folder discovery failed",
     "the shell could not name the special folders; nothing was done",
     "the shell could not name the special folders; nothing was done", "contactSupport"},
    {exit_input_damaged, "input damaged",
     "the carried files are missing or damaged, or would not all install; nothing was installed",
     "`log_inst.dat` is missing, cannot be read, or holds no record; nothing was removed", "contactSupport"},
    {exit_user_left, "user left", "the user left a dialog or question; nothing was installed",
     "the user said No; nothing was removed", "cancelledByUser"},
    {exit_refused, "refused",
     "the chosen folders cannot be used (relative, also to a drive's current folder as in `C:` or `C:games`, too "
     "long for the files below them, not writable, queued for renaming at the next reboot, in the Windows or system "
     "folder; `-p` no full folder name, in the Windows or system folder, or in or above the installation folder); "
     "nothing was written",
     "records naming places outside the installation's were refused; the rest was removed", "invalidParameter"},
    {exit_rolled_back, "rolled back",
     "the installation was rolled back (after a failure, Cancel in the clean-up question, or an earlier stopped run "
     "undone)",
     nullptr, "custom"},
    {exit_incomplete, "incomplete",
     "the installation failed and what was installed stayed (also: `log_inst.dat` could not be written; an earlier "
     "stopped run found and left as it is, or its record refused as it names places outside the installation or "
     "cannot be read)",
     "something the installation made could not be removed (a file in use), or the journal could not be read whole; "
     "the journal and the uninstaller stay; run it again",
     "custom"},
    {exit_saved_files_changed, "saved files changed",
     "the installation was rolled back, but replaced files whose saved copies were changed since they were saved "
     "were not put back; the log and the report name them",
     "removed, but replaced files whose saved copies were changed since they were saved were not put back; the "
     "report names them",
     "custom"},
    {exit_disk_full, "disk full",
     "the drive of the installation folder, or of the folder for replaced files, has less free space than the "
     "installation needs; the log gives both figures; nothing was written",
     nullptr, "diskFull"},
};

const std::size_t exit_code_count = sizeof exit_code_list / sizeof exit_code_list[0];
