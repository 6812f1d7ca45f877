#pragma once
// Where a payload entry goes: the installation folder (ending with "\")
// followed directly by the entry's relative name. Nothing is created for a
// name that would leave the folder, whatever the container says, nor at a
// path that would have to be cut, nor where the journal record would be cut.

#include <string>
#include <string_view>

enum class EntryPathStatus {
  ok,
  escapes,   // absolute, a drive or stream part, a ".." segment, a device name
  too_long,  // the path or record_prefix + path exceeds 255 characters
};

struct EntryPath {
  EntryPathStatus status = EntryPathStatus::ok;
  std::string path;  // set only when status is ok
};

EntryPath entry_path(std::string_view destination, std::string_view name, std::string_view record_prefix);
