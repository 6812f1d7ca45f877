#pragma once
// What the uninstaller does with a journal, decided before anything is
// touched. log_inst.dat holds one or more runs of the setup into the same
// folder, each ending with the record of the journal file itself. The runs
// are undone newest first, each as the setup's rollback undoes one: its
// files (newest first), then the files it replaced and kept ("RDIR:") go
// back, then its folders (newest first), then its Add/Remove Programs entry,
// then its backup folder when nothing is left in it.
//
// Only what lies where an installation writes is acted on: below the
// installation folder, in the start menus and on the desktops, the entry of
// this product and folder, and for "RDIR:" a backup folder's files that the
// run saved from its own places. A "DIR:" of a folder above the installation
// folder (the write probe made it) is taken too: a folder is only ever
// removed when empty. Every other record is refused and reported, and so is
// every line that is no record of the setup's.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/journal_text.h"

struct UninstallPlaces {
  std::string install_dir;              // the installation folder, ending with "\"
  std::string journal_path;             // log_inst.dat, removed last by the caller
  std::vector<std::string> link_roots;  // both start menus and both desktops
  std::vector<std::string> system_folders;  // the Windows and system folders: never a backup folder
  // Whether key is the Add/Remove Programs entry of this product in the
  // installation folder spelt as install_dir (the setup named it so).
  std::function<bool(std::string_view key, std::string_view install_dir)> own_entry;
};

enum class StepKind {
  delete_file,    // a plain file; never a folder, never through a link
  remove_folder,  // only when empty
  restore_saved,  // move `from` back to `path`, only into a free place
  remove_entry,   // the Add/Remove Programs key `path`
  remove_backup,  // the empty folders of backup folder `path`, and it when empty
};

struct RemovalStep {
  StepKind kind;
  std::string path;
  std::string from;    // restore_saved: the saved file
  std::string record;  // the journal line it comes from
  // The place it lies in (the installation folder, a start menu, a
  // desktop): no folder between it and the path may be a link.
  std::string root;
};

struct RefusedRecord {
  std::string record;
  std::string why;  // English, for the report and the tests
};

struct UninstallPlan {
  std::vector<RemovalStep> steps;
  std::vector<RefusedRecord> refused;
  int runs = 0;
};

UninstallPlan plan_uninstall(const std::vector<JournalLine>& lines, const UninstallPlaces& places);

// Whether path lies in folder (or is it) as a plain full path: no "." or ".."
// segment, no second separator, no stream or device name in the part below
// folder. Letter case does not count (Windows-1252 letters folded).
bool lies_in(std::string_view path, std::string_view folder);

// A backup folder the setup made itself: "Installer_" and eight hexadecimal
// digits. Any other one was given with -p and belongs to the user.
bool is_own_backup_folder(std::string_view folder);
