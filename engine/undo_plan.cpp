#include "engine/undo_plan.h"

#include <map>

#include "core/journal.h"
#include "core/paths.h"
#include "engine/run_record.h"

namespace {

constexpr std::string_view probe_stem = "del_me_874bvgj345t87gd3z";

// The write test's record: an untagged path of a file named after the probe.
bool is_probe_record(std::string_view line) {
  const std::size_t slash = line.rfind('\\');
  if (slash == std::string_view::npos || line.find(':') != 1) return false;
  const std::string_view name = line.substr(slash + 1);
  return name.substr(0, probe_stem.size()) == probe_stem && name.size() >= 4 &&
         name.substr(name.size() - 4) == ".txt";
}

template <typename Folders>
bool lies_in_any(std::string_view path, const Folders& folders) {
  for (const std::string& f : folders) {
    if (!f.empty() && lies_in(path, f)) return true;
  }
  return false;
}

class Planner {
 public:
  Planner(const InstallationPlaces& places, RecordSource source, UndoPlan& plan)
      : places_(places), source_(source), plan_(plan) {}

  void run(const RecordedRun& run) {
    ++plan_.runs;
    spelling_ = install_spelling(run);
    anchors_ = menu_anchors(run);
    for (const std::string& r : run.records) record(r, run);
    for (const auto& [path, bytes] : run.links_before) link_before(path, bytes);
    for (const auto& [path, length] : run.journals_before) journal_before(path, length);
    for (const SavedItem& item : run.saved) saved(item, run.backup_dir);
    // An earlier entry only matters once the run announced writing its own
    // ("APP:" follows every value of the earlier one); one of another
    // product is refused all the same.
    for (const auto& before : run.entries_before) {
      if (!entry_seen_.count(before.first) && !own_entry(before.first)) {
        refuse(std::string(run_record::app_was) + before.first, Msg::reason_entry_not_ours);
      }
    }
    for (const std::string& folder : run.backup_dirs_made) made_folder(folder, run.backup_dir);
    if (source_ == RecordSource::journal && !run.backup_dir.empty() && is_own_backup_folder(run.backup_dir) &&
        backup_folder_allowed(places_, run.backup_dir)) {
      UndoStep step = make(UndoAction::remove_backup_tree, run.backup_dir, std::string(record::backup_dir) + run.backup_dir);
      step.root = run.backup_dir;
      tree_.push_back(step);
    }
    flush();
  }

  // A run that was complete: only the files it saved, and the folders made
  // for them, are left to delete.
  void saved_files_of(const RecordedRun& run) {
    ++plan_.runs;
    for (const SavedItem& item : run.saved) {
      if (!saved_in_place(item, run.backup_dir)) continue;
      UndoStep step = make(UndoAction::delete_saved, item.saved, saved_record(item));
      step.digest = item.digest;
      step.root = run.backup_dir;
      restores_.push_back(step);
    }
    for (const std::string& folder : run.backup_dirs_made) made_folder(folder, run.backup_dir);
    flush();
  }

 private:
  void record(const std::string& r, const RecordedRun& run) {
    if (has_prefix(r, record::file)) {
      file(r, r.substr(record::file.size()), run);
    } else if (has_prefix(r, record::dir)) {
      folder(r, r.substr(record::dir.size()));
    } else if (has_prefix(r, record::app)) {
      entry(r, r.substr(record::app.size()), run);
    } else if (!is_probe_record(r)) {
      refuse(r, Msg::reason_no_record);
    }
  }

  void file(const std::string& r, const std::string& path, const RecordedRun& run) {
    if (is_own_file(places_, path)) {
      // An earlier journal is cut back, not deleted; the uninstall removes
      // the journal it reads last, itself.
      if (run.journals_before.count(path) || source_ == RecordSource::journal) return;
    }
    if (run.links_before.count(path)) return;  // its earlier bytes go back instead
    UndoStep step = make(UndoAction::delete_file, path, r);
    if (in_installation(places_, path)) {
      step.root = places_.install_dir;
    } else if (const std::string root = own_link_root(places_, path); !root.empty()) {
      step.root = root;
      step.only_if_ours = source_ == RecordSource::journal;
    } else {
      return refuse(r, Msg::reason_file_outside);
    }
    files_.push_back(step);
  }

  void folder(const std::string& r, const std::string& path) {
    UndoStep step = make(UndoAction::remove_folder, path, r);
    if (lies_in(path, places_.install_dir)) {
      step.root = places_.install_dir;
    } else if (above_installation(places_, path)) {
      step.root = path;
    } else if (const std::string root = menu_folder_root(places_, path); !root.empty() && holds_own_links(path)) {
      step.root = root;
    } else {
      return refuse(r, Msg::reason_folder_outside);
    }
    folders_.push_back(step);
  }

  bool own_entry(const std::string& key) const {
    return places_.own_entry && (places_.own_entry(key, spelling_) || places_.own_entry(key, places_.install_dir));
  }

  void entry(const std::string& r, const std::string& key, const RecordedRun& run) {
    if (!own_entry(key)) return refuse(r, Msg::reason_entry_not_ours);
    entry_seen_[key] = true;
    const auto before = run.entries_before.find(key);
    UndoStep step = make(before == run.entries_before.end() ? UndoAction::remove_entry : UndoAction::restore_entry,
                         key, r);
    if (before != run.entries_before.end()) step.values = before->second;
    entries_.push_back(step);
  }

  void link_before(const std::string& path, const std::string& bytes) {
    const std::string r = std::string(record::file) + path;
    UndoStep step = make(UndoAction::write_back, path, r);
    step.data = bytes;
    step.root = in_installation(places_, path) ? places_.install_dir : own_link_root(places_, path);
    if (step.root.empty()) return refuse("earlier link " + path, Msg::reason_link_not_ours);
    links_.push_back(step);
  }

  void journal_before(const std::string& path, std::uint64_t length) {
    if (!is_own_file(places_, path)) {
      return refuse("earlier journal " + path, Msg::reason_journal_not_ours);
    }
    UndoStep step = make(UndoAction::cut_back, path, std::string(record::file) + path);
    step.length = length;
    step.root = places_.install_dir;
    journals_.push_back(step);
  }

  void saved(const SavedItem& item, const std::string& backup_dir) {
    if (!saved_in_place(item, backup_dir)) return;
    UndoStep step = make(UndoAction::put_back, item.original, saved_record(item));
    step.from = item.saved;
    step.digest = item.digest;
    step.attributes = item.attributes;
    step.root = places_.install_dir;
    restores_.push_back(step);
  }

  // A saved file lies below its run's backup folder under the path it had
  // below the installation folder.
  bool saved_in_place(const SavedItem& item, const std::string& backup_dir) {
    if (backup_dir.empty() || !backup_folder_allowed(places_, backup_dir)) {
      refuse(saved_record(item), Msg::reason_backup_folder_outside);
      return false;
    }
    if (!in_installation(places_, item.original) || !lies_below(item.saved, backup_dir) ||
        !same_path(item.saved, join_path(backup_dir, relative_part(item.original, places_.install_dir)))) {
      refuse(saved_record(item), Msg::reason_saved_file_misplaced);
      return false;
    }
    return true;
  }

  // Folders made for the backup folder: it, its missing parents, folders below it.
  void made_folder(const std::string& folder, const std::string& backup_dir) {
    const bool related = !backup_dir.empty() && (lies_in(backup_dir, folder) || lies_below(folder, backup_dir));
    if (!related || is_shell_folder(places_, folder) || lies_in_any(folder, places_.system_folders) ||
        !backup_folder_allowed(places_, backup_dir) || lies_in(folder, places_.install_dir)) {
      return refuse(std::string(record::dir) + folder, Msg::reason_made_folder_outside);
    }
    UndoStep step = make(UndoAction::remove_made_folder, folder, std::string(record::dir) + folder);
    step.root = folder;
    made_.push_back(step);
  }

  // The run's spelling of the installation folder, from its write test's
  // record, when that names this folder: the entry's key depends on it.
  std::string install_spelling(const RecordedRun& run) const {
    for (const std::string& r : run.records) {
      if (!is_probe_record(r)) continue;
      const std::string folder = parent_dir(r) + "\\";
      if (same_path(folder, places_.install_dir)) return folder;
    }
    return places_.install_dir;
  }

  // Folders holding the run's own shortcuts in a start menu, and the
  // start-menu folders it was to use: a start-menu folder is the product's
  // only when it is one of these or lies above one.
  std::vector<std::string> menu_anchors(const RecordedRun& run) const {
    std::vector<std::string> anchors = run.menu_dirs;
    for (const std::string& r : run.records) {
      if (!has_prefix(r, record::file)) continue;
      const std::string path = r.substr(record::file.size());
      if (!own_link_root(places_, path).empty()) anchors.push_back(parent_dir(path));
    }
    for (const auto& link : run.links_before) {
      if (!own_link_root(places_, link.first).empty()) anchors.push_back(parent_dir(link.first));
    }
    return anchors;
  }

  bool holds_own_links(const std::string& folder) const {
    for (const std::string& anchor : anchors_) {
      if (lies_in(anchor, folder)) return true;
    }
    return false;
  }

  static std::string saved_record(const SavedItem& item) {
    return "saved file " + item.saved + " of " + item.original;
  }

  static UndoStep make(UndoAction action, const std::string& path, const std::string& record) {
    UndoStep step;
    step.action = action;
    step.path = path;
    step.record = record;
    return step;
  }

  void refuse(const std::string& record, Msg why) { plan_.refused.push_back({record, why}); }

  void flush() {
    for (auto* kind : {&files_, &links_, &journals_, &restores_, &folders_, &entries_, &made_, &tree_}) {
      const bool newest_first = kind != &links_ && kind != &journals_;
      if (newest_first) {
        plan_.steps.insert(plan_.steps.end(), kind->rbegin(), kind->rend());
      } else {
        plan_.steps.insert(plan_.steps.end(), kind->begin(), kind->end());
      }
      kind->clear();
    }
    entry_seen_.clear();
  }

  const InstallationPlaces& places_;
  const RecordSource source_;
  UndoPlan& plan_;
  std::string spelling_;
  std::vector<std::string> anchors_;
  std::map<std::string, bool> entry_seen_;
  std::vector<UndoStep> files_, links_, journals_, restores_, folders_, entries_, made_, tree_;
};

}  // namespace

UndoPlan plan_undo(const std::vector<RecordedRun>& runs, const InstallationPlaces& places, RecordSource source) {
  UndoPlan plan;
  Planner planner(places, source, plan);
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) planner.run(*run);
  return plan;
}

UndoPlan plan_saved_files_deletion(const RecordedRun& run, const InstallationPlaces& places) {
  UndoPlan plan;
  Planner(places, RecordSource::stopped_run, plan).saved_files_of(run);
  return plan;
}

bool is_own_backup_folder(std::string_view folder) {
  while (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  const std::size_t slash = folder.rfind('\\');
  const std::string_view name = folder.substr(slash == std::string_view::npos ? 0 : slash + 1);
  if (name.size() != 18 || name.substr(0, 10) != "Installer_") return false;
  for (const char c : name.substr(10)) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}
