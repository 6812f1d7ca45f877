// libFuzzer target: the stopped-run record's reader, log_inst.dat's and the
// backup list's readers, and the undo plan, on arbitrary bytes. The first
// byte says which: even, a stopped run's record; odd, a journal, then after
// a zero byte its backup list.
//
// Beyond "no crash, no read outside the input" (AddressSanitizer), it checks
// what the plan promises: whatever the input, no planned step lies outside
// the installation's places.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/name_case.h"
#include "core/settings.h"
#include "engine/journal_runs.h"
#include "engine/places.h"
#include "engine/run_record.h"
#include "engine/undo_plan.h"

namespace {

const std::string install = "C:\\Games\\Q\\";

InstallationPlaces places() {
  FolderTable f;
  f.programs_dir = "C:\\Users\\u\\Start Menu\\Programs";
  f.common_programs_dir = "C:\\All\\Start Menu\\Programs";
  f.user_start_menu_dir = "C:\\Users\\u\\Start Menu";
  f.common_start_menu_dir = "C:\\All\\Start Menu";
  f.desktop_dir = "C:\\Users\\u\\Desktop";
  f.windows_dir = "C:\\Windows";
  f.program_files_dir = "C:\\Program Files";
  f.documents_dir = "C:\\Users\\u\\Documents";
  ProductNames names;
  names.product_folders = {"Q", "Q"};
  names.uninstaller_paths = {"\\uninst\\uninstall.exe", "\\uninst\\uninstall.exe"};
  names.link_titles = {"Game", "Remove Game", "Spiel", "Spiel entfernen"};
  // Keys of any spelling of the folder are the product's; the check below
  // folds them the same way.
  return make_installation_places(install, f, names, {"C:\\Users\\u\\Start Menu\\Programs\\StartUp"},
                                  [](std::string_view folder, std::string_view dir) {
                                    return std::string(folder) + "__at__" + fold_name_case(dir);
                                  });
}

const InstallationPlaces where = places();

void require(bool condition) {
  if (!condition) std::abort();
}

bool in_system(std::string_view path) { return lies_in(path, "C:\\Windows"); }

// Every step against the places it may act in.
void check(const UndoPlan& plan) {
  for (const UndoStep& s : plan.steps) {
    switch (s.action) {
      case UndoAction::delete_file:
      case UndoAction::write_back:
        require(in_installation(where, s.path) || !own_link_root(where, s.path).empty());
        break;
      case UndoAction::cut_back: require(is_own_file(where, s.path)); break;
      case UndoAction::put_back:
        require(in_installation(where, s.path));
        require(is_plain_full_path(s.from) && !in_system(s.from) && !lies_in(s.from, install));
        break;
      case UndoAction::remove_folder:
        require(lies_in(s.path, install) || above_installation(where, s.path) ||
                !menu_folder_root(where, s.path).empty());
        require(!is_shell_folder(where, s.path) || same_path(s.path, install));
        break;
      case UndoAction::remove_entry:
      case UndoAction::restore_entry: require(s.path == "Q__at__" + fold_name_case(install)); break;
      case UndoAction::remove_made_folder:
      case UndoAction::delete_saved:
        require(is_plain_full_path(s.path) && !in_system(s.path) && !lies_in(s.path, install));
        require(s.action == UndoAction::delete_saved || !is_shell_folder(where, s.path));
        break;
      case UndoAction::remove_backup_tree:
        require(is_own_backup_folder(s.path) && backup_folder_allowed(where, s.path));
        break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] % 2 == 0) {
    const StoppedRun run = parse_run_record(bytes);
    check(plan_undo({run}, where, RecordSource::stopped_run));
    check(plan_undo({run}, where, RecordSource::this_run));
    check(plan_saved_files_deletion(run, where));
  } else {
    const std::size_t zero = bytes.find('\0');
    const std::string_view journal = bytes.substr(0, zero);
    const std::string_view list = zero == std::string_view::npos ? std::string_view() : bytes.substr(zero + 1);
    const JournalRuns runs = read_journal_runs(journal, list, install + "uninst\\log_inst.dat");
    check(plan_undo(runs.runs, where, RecordSource::journal));
  }
  return 0;
}
