#include "engine/install_plan.h"

#include "core/name_case.h"
#include "core/paths.h"
#include "core/short_string.h"
#include "core/journal.h"

namespace {

bool valid_name(std::string_view name) {
  // The container separates folders with "\" only.
  return is_contained_name(name) && name.find('/') == std::string_view::npos;
}

bool fits(std::string_view prefix, std::size_t destination, std::size_t name) {
  return prefix.size() + destination + name <= short_string_max;
}

}  // namespace

InstallPlan::InstallPlan(const FilesetView& fileset) { plan(layout_of(fileset)); }

InstallPlan::InstallPlan(const PayloadLayout& layout) { plan(layout); }

void InstallPlan::plan(const PayloadLayout& layout) {
  if (!layout.sizes_fill_data) {
    problem_.fault = PlanFault::sizes_do_not_add_up;
    return;
  }
  if (!layout.names_exact) {
    problem_.fault = PlanFault::names_damaged;
    return;
  }
  for (const PayloadEntry& entry : layout.entries) {
    const PlanFault fault = add_entry(entry.name, entry.kind == EntryKind::folder);
    if (fault != PlanFault::none) {
      problem_.fault = fault;
      problem_.entry = entry.index;
      return;
    }
  }
}

PlanFault InstallPlan::add_entry(const std::string& name, bool folder) {
  if (!valid_name(name)) return PlanFault::bad_name;
  if (!fits(folder ? record::dir : record::file, shortest_install_dir, name.size())) return PlanFault::name_too_long;

  const std::string key = fold_name_case(name);
  // Every folder on the way is made by the installation: none may be a file.
  for (std::size_t end = key.find('\\'); end != std::string::npos; end = key.find('\\', end + 1)) {
    const auto [it, added] = paths_.emplace(key.substr(0, end), Kind::implied_folder);
    if (!added && it->second == Kind::file) return PlanFault::inside_a_file;
  }
  const auto [it, added] = paths_.emplace(key, folder ? Kind::folder : Kind::file);
  if (!added) {
    // A folder named after the files in it were listed is still one folder.
    if (folder && it->second == Kind::implied_folder) {
      it->second = Kind::folder;
    } else if (folder == (it->second != Kind::file)) {
      return PlanFault::duplicate;
    } else {
      return PlanFault::file_and_folder;
    }
  }
  std::size_t& longest = folder ? longest_folder_ : longest_file_;
  if (name.size() > longest) longest = name.size();
  return PlanFault::none;
}

PlanProblem InstallPlan::check_own_file(std::string_view relative) const {
  PlanProblem clash;
  clash.fault = PlanFault::own_file;
  if (!valid_name(relative)) return clash;
  const std::string key = fold_name_case(relative);
  for (std::size_t end = key.find('\\'); end != std::string::npos; end = key.find('\\', end + 1)) {
    const auto it = paths_.find(key.substr(0, end));
    if (it != paths_.end() && it->second == Kind::file) return clash;
  }
  if (paths_.count(key) != 0) return clash;
  return {};
}

bool InstallPlan::fits_below(std::string_view destination) const {
  return fits(record::file, destination.size(), longest_file_) &&
         fits(record::dir, destination.size(), longest_folder_);
}
