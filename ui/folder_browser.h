#pragma once
// The two helpers of the path dialog that look at existing folders: the
// folder browser behind "Browse" and the list of start-menu groups.

#include <windows.h>

#include <optional>
#include <string>

struct FolderTable;

// The common save-file dialog reduced to its folder and drive lists
// (template 7777), opened at start_folder. The chosen folder ends with "\";
// nothing when the user cancelled.
std::optional<std::string> browse_for_folder(HWND owner, const std::string& start_folder);

// The folder part of the save-file dialog's answer, up to and including its
// last "\": the dummy file name "test", or any other name the user typed, is
// dropped. Empty when the answer holds no "\".
std::string folder_of_answer(const std::string& answer);

// Fills the combo box with an empty entry and every folder below the
// all-users and the current user's start menu, relative to them and listed
// once, then selects the programs folder's own name.
void fill_start_menu_groups(HWND dialog, int combo_id, const FolderTable& folders);
