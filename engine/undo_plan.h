#pragma once
// One plan for every undo: the rollback of this run, the undo of a run that
// was stopped, and the uninstall. Each says where its runs come from; the
// plan checks every step against the installation's places
// (engine/places.h) before anything is done, and one executor
// (engine/undo.h) carries the steps out.
//
// Runs are undone newest first, each in the same order: its files (newest
// first), then the bytes of earlier links and the lengths of earlier
// journals go back, then the files it saved go back, then its folders
// (newest first), then its Add/Remove Programs entry, then the folders made
// for its backup folder.

#include <cstdint>
#include <string>
#include <vector>

#include "core/messages.h"
#include "engine/places.h"
#include "engine/recorded_run.h"

enum class RecordSource {
  this_run,     // the run's own journal and backup, held in memory
  stopped_run,  // a stopped run's record: one line outside refuses it whole
  journal,      // log_inst.dat and its backup list: lines outside are refused, the rest is done
};

enum class UndoAction {
  delete_file,        // a file the run made; never a folder, never reached through a link
  write_back,         // an earlier link's bytes, in place of the run's own
  cut_back,           // an earlier log_inst.dat (or backup list) back to its former length
  put_back,           // a saved file or empty folder back to its place, only into a free one,
                      // only while its bytes have the digest taken when it was saved
  remove_folder,      // only when empty
  remove_entry,       // the product's own Add/Remove Programs key
  restore_entry,      // an earlier installation's entry, as it was
  remove_made_folder, // a folder made for the backup folder, only when empty
  remove_backup_tree, // the setup's own backup folder: its empty folders, and it when empty
  delete_saved,       // a stopped run that was complete: its saved file, only with its digest
};

struct UndoStep {
  UndoAction action = UndoAction::delete_file;
  std::string path;
  std::string from;               // put_back: the saved file
  std::string data;               // write_back: the bytes
  std::string digest;             // put_back, delete_saved: 64 hexadecimal digits; empty for a folder
  std::uint64_t length = 0;       // cut_back
  std::uint32_t attributes = 0;   // put_back: the attributes it had (0: keep the saved file's)
  std::vector<EntryValue> values; // restore_entry
  // The place the path lies in: no folder between it and the path may be a
  // link. Empty for the registry.
  std::string root;
  std::string record;             // the record it comes from, named when it cannot be done
  // A shortcut outside the installation folder is only taken when it still
  // leads into the installation (the uninstall: another installation may
  // have put its own link there since).
  bool only_if_ours = false;
};

struct RefusedRecord {
  std::string record;
  Msg why;  // one of the catalogue's reasons
};

struct UndoPlan {
  std::vector<UndoStep> steps;
  std::vector<RefusedRecord> refused;
  int runs = 0;
};

// runs: oldest first. The stopped run that was complete (it had journaled
// everything) is planned with complete_run: only its saved files go.
UndoPlan plan_undo(const std::vector<RecordedRun>& runs, const InstallationPlaces& places, RecordSource source);
UndoPlan plan_saved_files_deletion(const RecordedRun& run, const InstallationPlaces& places);

// A backup folder the setup made itself: "Installer_" and eight hexadecimal
// digits. Any other was given with -p and belongs to the user.
bool is_own_backup_folder(std::string_view folder);
