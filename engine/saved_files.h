#pragma once
// Moving files aside and back, so that nobody else can change them in
// between. A replaced file is opened for reading and moving and shared with
// readers only, its SHA-256 taken, the move announced, and the file moved
// through that same handle into the backup folder, where the run keeps the
// handle open until it ends: no other program can write, move or delete it
// meanwhile, though the backup folder (in %TEMP%) is the user's. A file goes
// back the same way: through the held handle, or, once the run that saved it
// is over, only after its bytes were found to have the digest taken when it
// was saved, through a handle that lets nobody change it in between. Either
// way only into a free place.

#include <map>
#include <string>

#include "core/file_digest.h"
#include "core/win_handle.h"
#include "engine/recorded_run.h"

class WriteAhead;

enum class PutBack {
  done,         // it is back, with its attributes
  gone,         // nothing lies where it was saved
  place_taken,  // something is in its place now
  other_bytes,  // what lies where it was saved is not what was saved
  failed,       // the system refused (the last error says why)
};

class SavedFiles {
 public:
  SavedFiles() = default;
  ~SavedFiles() { release(); }
  SavedFiles(const SavedFiles&) = delete;
  SavedFiles& operator=(const SavedFiles&) = delete;

  // Moves item.original (a file, or a folder that is empty) to item.saved,
  // which must be free, and holds it. Sets item.digest; announces
  // run_record::save_line(item) to ahead first (when given) and withdraws it
  // when nothing moved. False, with the last error set, when it did not move.
  bool save(SavedItem& item, WriteAhead* ahead);

  // Puts a saved item back: through its held handle when this run saved it,
  // otherwise as put_back_saved does.
  PutBack put_back(const SavedItem& item);

  // Whether this run holds the saved file at path.
  bool holds(const std::string& path) const;

  // Lets go of every saved file: the run is over, or they are to be deleted.
  void release() { held_.clear(); }

 private:
  std::map<std::string, WinHandle> held_;  // by the saved path, letter case folded
  FileDigester digester_;
};

// Puts a file saved by an earlier run back: only while its bytes have the
// digest (a folder: only while it is an empty folder), only into a free
// place, with the attributes it had (0: those it has).
PutBack put_back_saved(const SavedItem& item);

// Deletes a saved file of an earlier run, only while its bytes have the
// digest (a folder: only while it is empty). True when nothing of it is left.
bool delete_saved(const SavedItem& item);
