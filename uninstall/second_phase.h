#pragma once
// The uninstaller lives in the folder it removes, and a running program's
// file cannot be deleted. So the program the user starts copies itself into
// a fresh folder "Uninstall_XXXXXXXX" below the temporary folder, starts the
// copy with the second-phase arguments and waits for the result the copy
// sends through a pipe, which becomes its own exit code. The copy does the
// work, sends the result, waits for the original to end and then deletes the
// original's file, the journal and the folders that held them.
//
// Left behind: the copy and its folder, until the next start of the
// uninstaller removes them (or the next reboot, where the system lets the
// copy ask for that).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// In the original: the copy's result, or nothing when no copy could be
// started (the caller then does the work itself).
std::optional<int> hand_over(const std::string& temp, const std::vector<std::string>& user_arguments);

// In the copy: the result for the original, then waiting for it to end (at
// most 30 s).
void send_result(std::uint64_t pipe, int code);
void wait_for_original(std::uint64_t process);

// Removes the copies earlier uninstalls left in temp.
void remove_earlier_copies(const std::string& temp);

