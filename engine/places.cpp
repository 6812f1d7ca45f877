#include "engine/places.h"

#include "core/name_case.h"
#include "core/paths.h"
#include "core/settings.h"
#include "engine/journal_file.h"

namespace {

bool is_drive_root(std::string_view path) {
  return path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
         path[1] == ':' && path[2] == '\\';
}

std::string_view without_trailing_backslash(std::string_view path) {
  if (path.size() > 3 && path.back() == '\\') path.remove_suffix(1);
  return path;
}

std::string_view file_name(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

template <typename Folders>
bool lies_in_any(std::string_view path, const Folders& folders) {
  for (const std::string& f : folders) {
    if (!f.empty() && lies_in(path, f)) return true;
  }
  return false;
}

}  // namespace

bool is_plain_full_path(std::string_view path) {
  if (!is_drive_root(path)) return false;
  std::string_view rest = path.substr(3);
  if (rest.empty()) return true;
  if (rest.back() == '\\') rest.remove_suffix(1);
  return rest.find('/') == std::string_view::npos && is_contained_name(rest);
}

bool lies_in(std::string_view path, std::string_view folder) {
  if (!is_plain_full_path(path) || !is_plain_full_path(folder)) return false;
  return is_same_or_below(fold_name_case(without_trailing_backslash(path)),
                          fold_name_case(without_trailing_backslash(folder)));
}

bool lies_below(std::string_view path, std::string_view folder) {
  return lies_in(path, folder) && !same_path(path, folder);
}

bool same_path(std::string_view a, std::string_view b) {
  return is_plain_full_path(a) && is_plain_full_path(b) &&
         fold_name_case(without_trailing_backslash(a)) == fold_name_case(without_trailing_backslash(b));
}

std::string relative_part(std::string_view path, std::string_view folder) {
  folder = without_trailing_backslash(folder);
  const std::size_t skip = folder.size() + (folder.back() == '\\' ? 0 : 1);
  return path.size() > skip ? std::string(path.substr(skip)) : std::string();
}

bool in_installation(const InstallationPlaces& places, std::string_view path) {
  return lies_below(path, places.install_dir);
}

std::string own_link_root(const InstallationPlaces& places, std::string_view path) {
  if (!is_plain_full_path(path)) return {};
  const std::string name = fold_name_case(file_name(path));
  bool named = false;
  for (const std::string& n : places.link_names) named = named || (!n.empty() && fold_name_case(n) == name);
  if (!named) return {};
  const std::string folder = parent_dir(path);
  for (const std::string& desktop : places.desktops) {
    if (!desktop.empty() && same_path(folder, desktop)) return desktop;
  }
  for (const std::string& menu : places.program_menus) {
    if (!menu.empty() && lies_below(path, menu)) return menu;
  }
  return {};
}

std::string menu_folder_root(const InstallationPlaces& places, std::string_view folder) {
  if (is_shell_folder(places, folder)) return {};
  for (const std::string& menu : places.program_menus) {
    if (!menu.empty() && lies_below(folder, menu)) return menu;
  }
  return {};
}

bool above_installation(const InstallationPlaces& places, std::string_view folder) {
  return lies_below(places.install_dir, folder) && !is_shell_folder(places, folder);
}

bool is_own_file(const InstallationPlaces& places, std::string_view path) {
  for (const std::string& f : places.own_files) {
    if (!f.empty() && same_path(path, f)) return true;
  }
  return false;
}

bool is_shell_folder(const InstallationPlaces& places, std::string_view folder) {
  for (const auto* list : {&places.shell_folders, &places.program_menus, &places.desktops, &places.system_folders}) {
    for (const std::string& f : *list) {
      if (!f.empty() && same_path(folder, f)) return true;
    }
  }
  // A drive's root is nobody's to remove either.
  return without_trailing_backslash(folder).size() <= 3;
}

bool backup_folder_allowed(const InstallationPlaces& places, std::string_view folder) {
  if (!is_plain_full_path(folder) || without_trailing_backslash(folder).size() <= 3) return false;
  if (lies_in(folder, places.install_dir) || lies_in(places.install_dir, folder)) return false;
  return !lies_in_any(folder, places.system_folders);
}

InstallationPlaces make_installation_places(
    const std::string& install_dir, const FolderTable& folders, const ProductNames& names,
    std::vector<std::string> shell_folders,
    std::function<std::string(std::string_view product_folder, std::string_view install_dir)> entry_key) {
  InstallationPlaces p;
  p.install_dir = install_dir;
  if (!p.install_dir.empty() && p.install_dir.back() != '\\') p.install_dir += '\\';
  p.program_menus = {folders.programs_dir, folders.common_programs_dir};
  p.desktops = {folders.desktop_dir};
  for (const std::string& title : names.link_titles) {
    if (!title.empty()) p.link_names.push_back(title + ".lnk");
  }
  for (const std::string& uninstaller : names.uninstaller_paths) {
    if (uninstaller.empty()) continue;
    p.own_files.push_back(join_path(p.install_dir, journal_file_relative_path(uninstaller)));
    p.own_files.push_back(join_path(p.install_dir, backup_list_relative_path(uninstaller)));
  }
  shell_folders.insert(shell_folders.end(),
                       {folders.user_start_menu_dir, folders.common_start_menu_dir, folders.program_files_dir,
                        folders.documents_dir, folders.appdata_dir, folders.common_appdata_dir});
  p.shell_folders = std::move(shell_folders);
  p.system_folders = {folders.windows_dir};
  p.own_entry = [entry_key = std::move(entry_key), product_folders = names.product_folders](
                    std::string_view key, std::string_view dir) {
    for (const std::string& folder : product_folders) {
      if (!folder.empty() && entry_key && key == entry_key(folder, dir)) return true;
    }
    return false;
  };
  return p;
}
