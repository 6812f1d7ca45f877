#pragma once
// Write-ahead: a change to the disk or the registry is announced before it
// is made, so that a process killed at any moment leaves a record that names
// everything it may have done. An announcement says "maybe done": whoever
// undoes the run treats whatever is at that place, and did not exist before
// the run, as the run's own.
//
// Lines are 8-bit text without line breaks; their kinds are the install
// journal's records ("DIR:", "FILE:", "APP:") and the run record's own
// (engine/run_record.h).

#include <string_view>

class WriteAhead {
 public:
  // Returns once the line is in the file: it survives the process being
  // killed right after (a power loss may still lose it). False when it could
  // not be written (a full disk): the change must then not be made, since
  // nothing would undo it; the last error says why.
  [[nodiscard]] virtual bool announce(std::string_view line) = 0;
  // The change announced by this line did not happen after all (the place
  // was taken in the meantime, or the call failed).
  virtual void withdraw(std::string_view line) = 0;

 protected:
  ~WriteAhead() = default;
};
