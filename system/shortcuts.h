#pragma once
// The shell links an installation leaves: the game and its uninstaller in the
// installation folder, the same two in the start menu, and the game on the
// desktop. Each link and each folder made for it is journaled, so that a
// rollback and the game's uninstaller can remove them.

#include <string>

struct InstallRun;

// Saves one .lnk file through the shell's link object: target, arguments,
// working folder, description and icon (index icon_index of icon_file).
// True when the file was saved.
bool write_shell_link(const std::wstring& link_file, const std::string& target, const std::string& arguments,
                      const std::string& working_dir, const std::string& description, const std::string& icon_file,
                      int icon_index);

// Makes link_base + ".lnk" pointing at target, with the settings' launch_args and
// the target's first icon, creating its folder with journaled "DIR:" records,
// and journals "FILE:" + the link file when it was saved. A link whose file
// name or record would pass 255 characters is not written, nor is one whose
// folder is unknown (an empty folder would put it at the drive's root).
// True when the link was saved.
bool create_shortcut(InstallRun& run, const std::string& folder, const std::string& title, const std::string& target,
                     const std::string& working_dir, const std::string& description);

// Builds the settings' launch_args, then makes the links the options ask for:
// desktop (-I), start menu (unless -M: the game's when start_menu_dir is set,
// the uninstaller's when uninstall_menu_dir is set), and the two in the
// installation folder. A link that cannot be made is skipped without a word;
// the others are still made.
void create_all_shortcuts(InstallRun& run);

// Whether the shell link file at link leads to something below folder. A
// file that does not read as a link counts as leading there: the
// installation that made it may have been stopped while saving it.
bool link_leads_into(const std::string& link, const std::string& folder);
