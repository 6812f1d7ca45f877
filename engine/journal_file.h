#pragma once
// log_inst.dat: the journal as an 8-bit text file, one record per line, each
// line ending CR LF, no header. A run appends to an existing file at the same
// path. The game's uninstaller reads it.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class Tstring_writer;
class WriteAhead;

constexpr const char* journal_file_name = "log_inst.dat";

// Where the file lies below the installation folder: next to the game's
// uninstaller (uninstaller_path is relative to that folder, with or without
// a leading "\"), for example "uninst\log_inst.dat".
std::string journal_file_relative_path(std::string_view uninstaller_path);
// The backup list beside it (engine/backup_list.h), for example
// "uninst\log_backup.dat".
std::string backup_list_relative_path(std::string_view uninstaller_path);

// Whether the file's folder may be made: not when the folder was just
// removed by a rollback, which must not bring it back.
enum class JournalFolder { make, existing_only };

// Creates the file's folder (journaled) unless told not to, then appends
// every record and "FILE:" + path, so that the file lists itself last. The
// journal in memory gets that record only when the file was written whole.
// False when it could not be; an earlier file is then left as it was, and a
// new one removed again. A path whose record would not fit is refused:
// nothing is created or journaled. With ahead, the folders, a new file and
// the length of an earlier one are announced before they change.
//
// backup_list, when given, makes this run's lines of the backup list beside
// the file (engine/backup_list.h) from where the run's records will end in
// the file; they are appended first and journaled as a file of the run, and
// taken back again when the journal cannot be written.
using BackupListLines = std::function<std::string(std::uint64_t journal_end)>;
bool write_journal_file(Tstring_writer& journal, const std::string& path, WriteAhead* ahead = nullptr,
                        JournalFolder folder = JournalFolder::make, const BackupListLines& backup_list = {});
