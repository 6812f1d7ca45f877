#pragma once
// The uninstaller's texts, English and German: the question before it
// removes anything, the report after, and the message for a journal that
// cannot be read. Lines end with CR LF.

#include <string>
#include <vector>

#include "engine/undo.h"

constexpr const char* uninstall_complete_caption = "Uninstall complete";
constexpr const char* uninstall_incomplete_caption = "Uninstall incomplete";
constexpr const char* uninstall_failed_caption = "Uninstall failed";

// Caption: the product title.
std::string uninstall_question(bool german, const std::string& product_title);

struct UninstallReport {
  UndoOutcome outcome;
  std::vector<RefusedRecord> refused;
  // Left on purpose: the journal could not be read whole, or the program
  // could not remove itself. Said at the end.
  std::vector<LeftItem> kept;
  // The uninstaller, when it ran in place and goes at the next restart.
  std::string removed_at_restart;
};

// The counts, then the folders that stay with the user's files, what could
// not be removed and why, and the records refused; each list names at most
// ten, then how many more.
std::string uninstall_report(bool german, const UninstallReport& report);

// log_inst.dat is missing or cannot be read: nothing was removed.
std::string journal_missing_text(bool german, const std::string& journal_path);

// log_inst.dat holds no record the setup writes (empty, or none of its
// lines reads as one): nothing was removed, and it stays.
std::string journal_empty_text(bool german, const std::string& journal_path);

// The reason as the report gives it in German (the reasons are English).
std::string german_reason(const std::string& english);
