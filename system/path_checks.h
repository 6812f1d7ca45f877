#pragma once
// Whether chosen folders can be used, checked before anything is written: a
// folder must be a plain absolute folder name, must not be touched by a file
// operation the system has queued for the next reboot (it would rename or
// delete what is installed), and the installation folder must take a new
// file. The form and queue checks need no Windows and are tested natively.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// What is wrong with a folder's form, before the file system is asked.
enum class FolderForm {
  usable,
  empty,
  relative,   // no drive letter and root: "Games", "C:Games", "\Games"
  network,    // "\\server\share" and "\\?\" forms
  bad_name,   // a segment Windows cannot hold: device names, forbidden characters, trailing dot or blank
  too_long,   // over 255 characters
};
FolderForm folder_form(std::string_view folder);

// True when path, without one trailing "\", occurs in the raw bytes of the
// queued operations (REG_MULTI_SZ, not split, prefixes such as \??\ kept):
// letters A to Z match either case, every other byte must be equal, and no
// zero byte lies inside a match. A plain substring search, so C:\Games is also
// found in \??\C:\Games2\old.dll. An empty path matches nothing.
bool pending_operations_mention(const std::uint8_t* data, std::size_t size, std::string_view path);

// The probe file's name; a variant is used when a file of that name exists.
constexpr const char* probe_file_name = "del_me_874bvgj345t87gd3z.txt";
// The n-th name tried (0: the plain name, then "del_me_874bvgj345t87gd3z_2.txt"...).
std::string probe_name(int attempt);
constexpr int probe_name_attempts = 16;
