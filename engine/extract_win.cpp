#include "engine/extract.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>

#include "core/folders.h"
#include "core/paths.h"
#include "core/progress_sink.h"
#include "core/settings.h"
#include "engine/install_run.h"
#include "core/win_handle.h"
#include "engine/backup.h"
#include "engine/entry_path.h"
#include "engine/filecopy_stream.h"
#include "core/journal.h"
#include "engine/overwrite.h"
#include "engine/run_record.h"
#include "payload/xxh3.h"

namespace {

bool is_folder_with_contents(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  // A link is moved aside as a link; what it leads to is not touched.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
  WIN32_FIND_DATAA data;
  const FindHandle find(FindFirstFileA(join_path(path, "*").c_str(), &data));
  if (!find) return true;  // cannot look inside: taken as full
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") return true;
  } while (FindNextFileA(find.get(), &data));
  return false;
}

// Files from this size on get their size before they are written: the file
// system can then place them in one piece. For smaller ones that gains
// nothing and costs three calls a file, which 20,000 small files feel.
constexpr std::uint64_t preallocate_from = 1u << 20;

// Files are read back in pieces of this size through one buffer for the run.
constexpr std::uint32_t read_back_chunk = 1 << 20;

class Extraction {
 public:
  Extraction(const PayloadLayout& layout, PayloadSource& source, const std::string& destination, bool verify,
             InstallRun& run, std::vector<std::int32_t>* written)
      : layout_(layout), source_(source), destination_(destination), verify_(verify), run_(run), written_(written) {}

  std::int32_t run() {
    for (const PayloadEntry& entry : layout_.entries) {
      if (entry.kind == EntryKind::folder) {
        folder_entry(entry);
      } else if (!file_entry(entry)) {
        break;
      }
      // Nothing is made that the record could not announce first, and nothing
      // is written from a payload that failed its checks.
      if (record_failed() || source_failed_) break;
    }
    return failures_;
  }

 private:
  // False ends the walk.
  bool file_entry(const PayloadEntry& entry) {
    const EntryPath target = entry_path(destination_, entry.name, record::file);
    if (target.status != EntryPathStatus::ok) {
      ++failures_;
      finished("not written: " + destination_ + entry.name +
               (target.status == EntryPathStatus::escapes ? " (the name leaves the installation folder)"
                                                          : " (the path or its record would be too long)"));
      return pass_over(entry.size);
    }
    Tfilecopystream sink;
    CreateResult created = sink.create_file(target.path, run_.settings.journal, run_.record, entry.size);
    if (created == CreateResult::exists) {
      if (!make_way(target.path, entry.name)) {
        ++failures_;
        finished("not replaced: " + target.path + " (" + in_the_way_ + ")", in_the_way_error_);
        return false;
      }
      // A file that appeared after the move was not saved: it is not replaced.
      created = sink.create_file(target.path, run_.settings.journal, run_.record, entry.size);
    }
    if (created != CreateResult::created) {
      const DWORD error = GetLastError();
      ++failures_;
      finished("could not create " + target.path, error);
      return pass_over(entry.size);
    }
    std::uint64_t taken = 0;
    if (!write_whole(entry, sink, taken)) {
      const DWORD error = GetLastError();
      ++failures_;
      if (source_failed_) {
        finished("not written whole: " + target.path + " (the payload's data failed its check)");
        return false;
      }
      finished("could not write " + target.path, error);
      return pass_over(entry.size - taken);
    } else if (verify_ && !read_back_matches(entry, sink)) {
      ++failures_;
      finished("wrote " + target.path + ", but it does not read back as the maker packed it");
    } else {
      finished("wrote " + target.path + " (" + std::to_string(entry.size) + " bytes)");
      if (written_) written_->push_back(entry.index);
    }
    return true;
  }

  // The data of a file that is not written is read all the same: the data
  // comes in order, and it is checked like any other.
  bool pass_over(std::uint64_t size) {
    while (size > 0) {
      const ByteRange piece = source_.take(size);
      if (piece.size == 0) {
        source_failed_ = true;
        return false;
      }
      size -= piece.size;
    }
    return true;
  }

  bool record_failed() const { return run_.record && run_.record->failed(); }

  void folder_entry(const PayloadEntry& entry) {
    const EntryPath target = entry_path(destination_, entry.name, record::dir);
    if (target.status == EntryPathStatus::escapes) {
      ++failures_;
      finished("not made: " + destination_ + entry.name + " (the name leaves the installation folder)");
    }
    // A folder that cannot be made is not counted: its files fail on their own.
    if (target.status == EntryPathStatus::ok) force_dirs_journaled(target.path, run_.settings.journal, run_.record);
  }

  void finished(std::string_view outcome, DWORD error = 0) {
    if (run_.progress) run_.progress->file_finished(outcome, error);
  }

  // Whether the existing file or folder at path may be replaced, and if so,
  // moves it into the backup folder. A folder that holds anything is never
  // replaced, whatever the options say: it is the user's, with all in it.
  // When not, in_the_way_ says why.
  bool make_way(const std::string& path, const std::string& name) {
    in_the_way_error_ = 0;
    if (is_folder_with_contents(path)) {
      in_the_way_ = "a folder with contents is in its place";
      return false;
    }
    if (!may_replace(run_, path)) {
      in_the_way_ = run_.settings.silent ? "a file is in its place, and -O was not given"
                                         : "a file is in its place, and the user kept it";
      return false;
    }
    if (backup_file(destination_, name, run_)) return true;
    in_the_way_error_ = GetLastError();
    in_the_way_ = "the file in its place could not be moved into the backup folder";
    // The file stays where it was, so nothing was lost that the count must show.
    --run_.settings.backups.not_saved;
    return false;
  }

  // Writes the entry's contents piece by piece as the source hands them on,
  // checked. False unless every byte is on disk; taken says how many bytes
  // were taken from the source, whether stored or not.
  bool write_whole(const PayloadEntry& entry, Tfilecopystream& sink, std::uint64_t& taken) {
    if (run_.progress) run_.progress->file_started(entry.name, entry.offset, layout_.data_length);
    if (entry.size >= preallocate_from && !sink.preallocate(entry.size)) return false;
    while (taken < entry.size) {
      const ByteRange piece = source_.take(entry.size - taken);
      if (piece.size == 0) {
        source_failed_ = true;
        return false;
      }
      taken += piece.size;
      if (!sink.write_block(piece.data, piece.size)) return false;
      if (run_.progress && taken < entry.size) run_.progress->advanced(entry.offset + taken);
    }
    return true;
  }

  // Reads the file back through the handle that wrote it and compares its
  // checksum with the one the maker packed (not with the payload in memory,
  // which would share any damage it had).
  bool read_back_matches(const PayloadEntry& entry, Tfilecopystream& sink) {
    if (!buffer_) {
      buffer_size_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(read_back_chunk, layout_.data_length));
      buffer_size_ = std::max<std::uint32_t>(buffer_size_, 1);
      buffer_.reset(new (std::nothrow) std::uint8_t[buffer_size_]);
      if (!buffer_) return false;
    }
    return sink.read_back(entry.size, buffer_.get(), buffer_size_, hash_) &&
           hash_.digest() == source_.entry_sum(entry.index);
  }

  const PayloadLayout& layout_;
  PayloadSource& source_;
  const std::string& destination_;
  const bool verify_;
  InstallRun& run_;
  std::vector<std::int32_t>* written_;
  std::int32_t failures_ = 0;
  bool source_failed_ = false;
  std::string in_the_way_;
  DWORD in_the_way_error_ = 0;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::uint32_t buffer_size_ = 0;
  Xxh3Stream hash_;
};

}  // namespace

std::int32_t install_payload(const PayloadLayout& layout, PayloadSource& source, const std::string& install_dir,
                             bool verify, InstallRun& run, std::vector<std::int32_t>* written) {
  return Extraction(layout, source, install_dir, verify, run, written).run();
}

std::int32_t install_fileset(const FilesetView& fileset, const FilesetSums& sums, const std::string& install_dir,
                             bool verify, InstallRun& run, std::vector<std::int32_t>* written) {
  MemoryBytes bytes(fileset.image(), fileset.size());
  ContainerSource source(bytes, fileset.data_offset(), static_cast<std::uint64_t>(fileset.data_length()), sums,
                         "the payload");
  return install_payload(layout_of(fileset), source, install_dir, verify, run, written);
}
