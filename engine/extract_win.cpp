#include "engine/extract.h"

#include "core/folders.h"
#include "core/settings.h"
#include "engine/backup.h"
#include "engine/entry_path.h"
#include "engine/filecopy_stream.h"
#include "engine/journal.h"
#include "engine/overwrite.h"

namespace {

class Extraction {
 public:
  Extraction(const FilesetView& fileset, const std::string& destination, InstallerSettings& settings)
      : fileset_(fileset), destination_(destination), s_(settings) {}

  std::int32_t run() {
    for_each_entry(fileset_, [this](const Tpayload_entry& entry) {
      if (entry.kind == EntryKind::folder) {
        folder_entry(entry);
        return true;
      }
      return file_entry(entry);
    });
    return failures_;
  }

 private:
  // False ends the walk.
  bool file_entry(const Tpayload_entry& entry) {
    const EntryPath target = entry_path(destination_, entry.name, record::file);
    if (target.status != EntryPathStatus::ok) {
      ++failures_;
      return true;
    }
    if (path_exists(target.path) && !make_way(target.path, entry.name)) {
      ++failures_;
      return false;
    }
    if (!write_whole(entry, target.path)) ++failures_;
    return true;
  }

  void folder_entry(const Tpayload_entry& entry) {
    const EntryPath target = entry_path(destination_, entry.name, record::dir);
    if (target.status == EntryPathStatus::escapes) ++failures_;
    // A folder that cannot be made is not counted: its files fail on their own.
    if (target.status == EntryPathStatus::ok) force_dirs_journaled(target.path, s_.journal);
  }

  // Whether the existing file or folder at path may be replaced, and if so,
  // moves it into the backup folder.
  bool make_way(const std::string& path, const std::string& name) {
    switch (decide_overwrite(s_.overwrite_all, s_.silent)) {
      case OverwriteDecision::refuse:
        return false;
      case OverwriteDecision::ask:
        if (!ask_overwrite(path, s_)) return false;
        break;
      case OverwriteDecision::replace:
        break;
    }
    if (backup_file(destination_, name, s_)) return true;
    // The file stays where it was, so nothing was lost that the count must show.
    --s_.backups.not_saved;
    return false;
  }

  // Creates the file, journals it and writes its contents in one write.
  // False unless every byte is on disk.
  bool write_whole(const Tpayload_entry& entry, const std::string& path) {
    Tfilecopystream sink;
    if (!sink.create_file(path, s_.journal)) return false;
    progress_hook(s_, entry.index, fileset_.count(), entry.size, destination_, entry.name, fileset_.data_length(),
                  entry.data_offset);
    Tfilecopystream source;
    source.attach_memory(entry.data, entry.size);
    return source.copy_to(sink, entry.size) == entry.size;
  }

  const FilesetView& fileset_;
  const std::string& destination_;
  InstallerSettings& s_;
  std::int32_t failures_ = 0;
};

}  // namespace

std::int32_t install_fileset(const FilesetView& fileset, const std::string& install_dir, bool verify,
                             InstallerSettings& settings) {
  const std::int32_t failures = extract_fileset(fileset, install_dir, settings);
  if (verify && failures == 0) return verify_fileset(fileset, install_dir);
  return failures;
}

std::int32_t extract_fileset(const FilesetView& fileset, const std::string& destination,
                             InstallerSettings& settings) {
  return Extraction(fileset, destination, settings).run();
}

void progress_hook(InstallerSettings& settings, std::int32_t, std::int32_t, std::int32_t, const std::string&,
                   const std::string& name, std::int32_t data_length, std::uint32_t offset) {
  if (settings.progress) settings.progress->file_started(name, offset, static_cast<std::uint32_t>(data_length));
}
