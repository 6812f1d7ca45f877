#include "engine/uninstall_plan.h"

#include "core/journal.h"
#include "core/name_case.h"
#include "core/paths.h"

namespace {

constexpr std::string_view probe_stem = "del_me_874bvgj345t87gd3z";

bool is_drive_root(std::string_view path) {
  return path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
         path[1] == ':' && path[2] == '\\';
}

// A full path as the setup writes them: a drive root and names below it.
bool is_plain_full_path(std::string_view path) {
  if (!is_drive_root(path)) return false;
  std::string_view rest = path.substr(3);
  if (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
  return rest.empty() || is_contained_name(rest);
}

bool same_path(std::string_view a, std::string_view b) {
  std::string x = fold_name_case(a), y = fold_name_case(b);
  strip_trailing_backslash(x);
  strip_trailing_backslash(y);
  return x == y;
}

// The part of path below folder, which path must lie in.
std::string_view relative_part(std::string_view path, std::string_view folder) {
  while (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  return path.size() > folder.size() ? path.substr(folder.size() + 1) : std::string_view();
}

bool is_probe_record(std::string_view line) {
  const std::size_t slash = line.rfind('\\');
  if (slash == std::string_view::npos) return false;
  const std::string_view name = line.substr(slash + 1);
  return name.substr(0, probe_stem.size()) == probe_stem && name.size() >= 4 &&
         name.substr(name.size() - 4) == ".txt";
}

const char* problem_text(LineProblem p) {
  switch (p) {
    case LineProblem::too_long: return "the line is longer than a record can be";
    case LineProblem::zero_byte: return "the line holds a zero byte";
    case LineProblem::line_break: return "the line holds a line break of another form";
    case LineProblem::cut_short: return "the journal ends in the middle of this line";
    case LineProblem::none: break;
  }
  return "";
}

class Planner {
 public:
  Planner(const UninstallPlaces& places, UninstallPlan& plan) : places_(places), plan_(plan) {}

  void run(const std::vector<const JournalLine*>& lines) {
    ++plan_.runs;
    const std::string dir = install_spelling(lines);
    std::vector<RemovalStep> files, restores, folders, entries, backups;
    std::vector<std::string> installed;  // the run's files below its folder, in order
    for (const JournalLine* line : lines) {
      const std::string& r = line->text;
      if (line->problem != LineProblem::none) {
        refuse(r, problem_text(line->problem));
      } else if (has_prefix(r, record::file)) {
        const std::string path = r.substr(record::file.size());
        if (same_path(path, places_.journal_path)) continue;  // the caller's, last
        const std::string root = own_place_of(path);
        if (root.empty()) {
          refuse(r, "the file lies outside the installation folder, the start menus and the desktops");
          continue;
        }
        files.push_back({StepKind::delete_file, path, {}, r, root});
        if (lies_in(path, dir)) installed.push_back(path);
      } else if (has_prefix(r, record::dir)) {
        const std::string path = r.substr(record::dir.size());
        std::string root = own_place_of(path);
        if (root.empty() && is_plain_full_path(path) && lies_in(dir, path)) root = path;  // above the installation
        if (!root.empty()) {
          folders.push_back({StepKind::remove_folder, path, {}, r, root});
        } else {
          refuse(r, "the folder lies outside the installation folder, the start menus and the desktops");
        }
      } else if (has_prefix(r, record::app)) {
        const std::string key = r.substr(record::app.size());
        if (places_.own_entry && places_.own_entry(key, dir)) {
          entries.push_back({StepKind::remove_entry, key, {}, r});
        } else {
          refuse(r, "the entry is not the one of this product in this folder");
        }
      } else if (has_prefix(r, record::backup_dir)) {
        const std::string saved = r.substr(record::backup_dir.size());
        if (!backup_folder_allowed(saved)) {
          refuse(r, "the folder of replaced files lies in the installation folder or in the system's folders");
          continue;
        }
        // Only the files this run saved there: those of the places it wrote.
        for (const std::string& path : installed) {
          restores.push_back(
              {StepKind::restore_saved, path, join_path(saved, relative_part(path, dir)), r, places_.install_dir});
        }
        if (is_own_backup_folder(saved)) backups.push_back({StepKind::remove_backup, saved, {}, r, saved});
      } else if (!is_probe_record(r)) {
        refuse(r, "the line is no record the setup writes");
      }
    }
    append_reversed(files);
    append_reversed(restores);
    append_reversed(folders);
    append_reversed(entries);
    append_reversed(backups);
  }

 private:
  // The run's installation folder as the setup spelt it, from its write
  // probe's record, when that names this folder.
  std::string install_spelling(const std::vector<const JournalLine*>& lines) const {
    for (const JournalLine* line : lines) {
      if (line->problem != LineProblem::none || !is_probe_record(line->text)) continue;
      const std::string folder = parent_dir(line->text) + "\\";
      if (same_path(folder, places_.install_dir)) return folder;
    }
    return places_.install_dir;
  }

  // The place path lies in, or empty for none.
  std::string own_place_of(std::string_view path) const {
    if (lies_in(path, places_.install_dir)) return places_.install_dir;
    for (const std::string& root : places_.link_roots) {
      if (!root.empty() && lies_in(path, root) && !same_path(path, root)) return root;
    }
    return {};
  }

  bool backup_folder_allowed(std::string_view folder) const {
    if (!is_plain_full_path(folder) || lies_in(folder, places_.install_dir)) return false;
    for (const std::string& system : places_.system_folders) {
      if (!system.empty() && lies_in(folder, system)) return false;
    }
    return true;
  }

  void refuse(const std::string& record, const char* why) { plan_.refused.push_back({record, why}); }

  void append_reversed(const std::vector<RemovalStep>& steps) {
    plan_.steps.insert(plan_.steps.end(), steps.rbegin(), steps.rend());
  }

  const UninstallPlaces& places_;
  UninstallPlan& plan_;
};

}  // namespace

bool lies_in(std::string_view path, std::string_view folder) {
  if (!is_plain_full_path(path) || !is_plain_full_path(folder)) return false;
  const std::string p = fold_name_case(path), f = fold_name_case(folder);
  return is_same_or_below(p, f);
}

bool is_own_backup_folder(std::string_view folder) {
  std::string f(folder);
  strip_trailing_backslash(f);
  const std::size_t slash = f.rfind('\\');
  const std::string_view name = std::string_view(f).substr(slash == std::string::npos ? 0 : slash + 1);
  if (name.size() != 18 || name.substr(0, 10) != "Installer_") return false;
  for (const char c : name.substr(10)) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

UninstallPlan plan_uninstall(const std::vector<JournalLine>& lines, const UninstallPlaces& places) {
  UninstallPlan plan;
  // Runs end with the record of the journal file; lines after the last one
  // (a journal cut short) make a run of their own.
  std::vector<std::vector<const JournalLine*>> runs(1);
  for (const JournalLine& line : lines) {
    runs.back().push_back(&line);
    if (line.problem == LineProblem::none && has_prefix(line.text, record::file) &&
        same_path(std::string_view(line.text).substr(record::file.size()), places.journal_path)) {
      runs.emplace_back();
    }
  }
  if (runs.back().empty()) runs.pop_back();
  Planner planner(places, plan);
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) planner.run(*run);
  return plan;
}
