#include "engine/undo.h"

#include <windows.h>

#include <map>

#include "core/journal.h"
#include "core/name_case.h"
#include "core/paths.h"
#include "core/progress_sink.h"
#include "core/win_handle.h"
#include "core/write_ahead.h"
#include "engine/run_record.h"
#include "engine/saved_files.h"
#include "engine/tree_removal.h"

namespace {

constexpr DWORD no_attributes = INVALID_FILE_ATTRIBUTES;

bool is_link(DWORD a) { return a != no_attributes && (a & FILE_ATTRIBUTE_REPARSE_POINT); }
bool is_folder(DWORD a) { return a != no_attributes && (a & FILE_ATTRIBUTE_DIRECTORY); }

Msg why_not(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return Msg::reason_in_use;
    case ERROR_ACCESS_DENIED: return Msg::reason_access_denied;
    case ERROR_DIR_NOT_EMPTY: return Msg::reason_not_empty;
    default: return Msg::reason_error;
  }
}

// A reason as the log gives it: in English, with the system's error code.
std::string logged(Msg why, DWORD error) { return reason_text(why, false, error); }

// The whole file, as it was (a link of an earlier installation).
bool write_whole_file(const std::string& path, const std::string& bytes) {
  const WinHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// An earlier journal gets back the length it had.
bool cut_back(const std::string& path, std::uint64_t length) {
  const WinHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return is_gone_error(GetLastError());
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return false;
  if (static_cast<std::uint64_t>(size.QuadPart) <= length) return true;
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(length);
  return SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
}

class Executor {
 public:
  explicit Executor(const UndoContext& context) : c_(context) {
    for (const std::string& s : c_.skipped) skipped_[fold_name_case(s)] = true;
  }

  UndoOutcome run(const UndoPlan& plan) {
    std::uint64_t done = 0;
    for (const UndoStep& step : plan.steps) {
      if (c_.progress) c_.progress->file_started(step.path, done++, plan.steps.size());
      if (c_.stop && c_.stop->stop_after(step.record)) TerminateProcess(GetCurrentProcess(), 99);
      switch (step.action) {
        case UndoAction::delete_file: delete_file(step); break;
        case UndoAction::write_back: write_back(step); break;
        case UndoAction::cut_back: cut(step); break;
        case UndoAction::put_back: put_back(step); break;
        case UndoAction::remove_folder: remove_one_folder(step); break;
        case UndoAction::remove_entry:
        case UndoAction::restore_entry: entry(step); break;
        case UndoAction::remove_made_folder:
          if (may_act_on(step)) remove_folder(step.path);
          break;
        case UndoAction::remove_backup_tree: backup_tree(step); break;
        case UndoAction::delete_saved: saved_deletion(step); break;
      }
    }
    if (c_.progress) c_.progress->file_started("", plan.steps.size(), plan.steps.size());  // the bar full
    for (const UndoStep& step : plan.steps) {
      if ((step.action == UndoAction::put_back || step.action == UndoAction::delete_saved) &&
          GetFileAttributesA(step.from.empty() ? step.path.c_str() : step.from.c_str()) != no_attributes) {
        ++out_.unrestored;
      }
    }
    return std::move(out_);
  }

 private:
  void delete_file(const UndoStep& step) {
    const std::string& path = step.path;
    if (skipped_.count(fold_name_case(path))) return;
    if (!may_act_on(step)) return;
    if (step.only_if_ours && c_.link_is_ours && GetFileAttributesA(path.c_str()) != no_attributes &&
        !c_.link_is_ours(path)) {
      out_.not_ours.push_back({path, Msg::reason_leads_elsewhere});
      return finished("left " + path + " (it leads elsewhere now)");
    }
    if (DeleteFileA(path.c_str())) return removed_file(path);
    const DWORD error = GetLastError();
    if (is_gone_error(error)) return finished("gone already: " + path);
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a == no_attributes) return leave(step, why_not(error), error);
    if (is_folder(a)) return leave(step, Msg::reason_a_folder);
    if (a & FILE_ATTRIBUTE_READONLY) {
      SetFileAttributesA(path.c_str(), a & ~DWORD{FILE_ATTRIBUTE_READONLY});
      if (DeleteFileA(path.c_str())) return removed_file(path);
      const DWORD again = GetLastError();
      SetFileAttributesA(path.c_str(), a);
      return leave(step, why_not(again), again);
    }
    leave(step, why_not(error), error);
  }

  void write_back(const UndoStep& step) {
    if (!may_act_on(step)) return;
    if (is_folder(GetFileAttributesA(step.path.c_str()))) return leave(step, Msg::reason_folder_in_its_place);
    if (!write_whole_file(step.path, step.data)) return leave(step, why_not(GetLastError()), GetLastError());
    finished("put back the earlier " + step.path);
  }

  void cut(const UndoStep& step) {
    if (!may_act_on(step)) return;
    if (!cut_back(step.path, step.length)) return leave_only(step, why_not(GetLastError()), GetLastError());
    finished("cut back " + step.path + " to " + std::to_string(step.length) + " bytes");
  }

  void put_back(const UndoStep& step) {
    const SavedItem item{step.path, step.from, step.attributes, step.digest};
    if (!may_act_on(step)) return;
    if (!plain_long_name(step.from)) {
      out_.refused.push_back({step.from, Msg::reason_short_name});
      return finished("refused " + step.record + " (it is named by a short name)");
    }
    // The caller's own place (the uninstaller's program, which it removes
    // last): an earlier run's copy of it would only be removed again, so it
    // goes now, while it is what was saved.
    if (skipped_.count(fold_name_case(step.path))) {
      if (delete_saved(item)) return finished("removed the earlier " + step.path + " saved as " + step.from);
      out_.changed.push_back(step.from);
      return finished("left " + step.from + " (its bytes were changed since it was saved)");
    }
    if (GetFileAttributesA(step.from.c_str()) == no_attributes && !(c_.held && c_.held->holds(step.from))) {
      // Never moved (a stopped run announced it and stopped): the file
      // stayed, and may have lost its read-only attribute already, which
      // the move needs cleared. Not when the run's own file is there.
      if (step.attributes && GetFileAttributesA(step.path.c_str()) != no_attributes && !left_in_place(step.path)) {
        SetFileAttributesA(step.path.c_str(), step.attributes);
      }
      return;
    }
    ++out_.saved;
    if (c_.ahead) c_.ahead->withdraw(std::string(record::file) + step.path);
    switch (c_.held ? c_.held->put_back(item) : put_back_saved(item)) {
      case PutBack::done:
        ++out_.restored;
        return finished("put back " + step.path + " from " + step.from);
      case PutBack::gone: return;
      case PutBack::place_taken: return leave_saved(step, Msg::reason_place_taken);
      case PutBack::other_bytes:
        // Not left for another try: no undo may put back what somebody
        // else chose. It stays where it was saved, and is named.
        out_.changed.push_back(step.from);
        return finished("not put back " + step.path + " from " + step.from +
                        " (its bytes were changed since it was saved)");
      case PutBack::failed: {
        const DWORD error = GetLastError();
        return leave_saved(step, why_not(error), error);
      }
    }
  }

  void remove_one_folder(const UndoStep& step) {
    const std::string& path = step.path;
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a == no_attributes) return;  // gone already
    // What stands there now is no folder the installation made.
    if (is_link(a) || !is_folder(a) || !may_act_on(step)) return;
    if (RemoveDirectoryA(path.c_str())) {
      ++out_.folders;
      return finished("removed folder " + path);
    }
    const DWORD error = GetLastError();
    if (is_gone_error(error)) return;
    out_.records_left.push_back(step.record);
    if (error != ERROR_DIR_NOT_EMPTY) return leave_only(step, why_not(error), error);
    if (holds_only_skipped(path)) {
      out_.retry_folders.push_back(path);
    } else if (holds_left(path)) {
      finished("kept folder " + path + " (it holds what could not be removed)");
    } else {
      out_.kept_folders.push_back(path);
      finished("kept folder " + path + " (it holds files the installation did not create)");
    }
  }

  // While anything the installation made is left, its entry stays when
  // asked: the user uninstalls again from there.
  void entry(const UndoStep& step) {
    if (c_.keep_entry_while_left && !out_.left.empty()) return;
    const bool ok = step.action == UndoAction::remove_entry ? c_.remove_entry && c_.remove_entry(step.path)
                                                            : c_.restore_entry && c_.restore_entry(step.path, step.values);
    if (!ok) return leave(step, Msg::reason_entry_stays);
    ++out_.entries;
    finished(step.action == UndoAction::remove_entry ? "removed the Add/Remove Programs entry " + step.path
                                                     : "put back the earlier Add/Remove Programs entry " + step.path);
  }

  // The setup's own backup folder: its empty folders go, files stay.
  void backup_tree(const UndoStep& step) {
    if (!remove_empty_tree(step.path)) out_.kept_folders.push_back(step.path);
  }

  void saved_deletion(const UndoStep& step) {
    if (!may_act_on(step)) return;
    if (!delete_saved({{}, step.path, 0, step.digest})) leave_only(step, Msg::reason_bytes_changed);
  }

  // The checks every path gets before anything is done to it. What fails
  // them is not where its record says: refused, not left to try again.
  bool may_act_on(const UndoStep& step) {
    Msg why;
    if (!plain_long_name(step.path)) {
      why = Msg::reason_short_name;
    } else if (!reached_without_link(step.path, step.root)) {
      why = Msg::reason_through_link;
    } else {
      return true;
    }
    out_.refused.push_back({step.path, why});
    finished("refused " + step.record + " (" + logged(why, 0) + ")");
    return false;
  }

  // A short (8.3) name may stand for another name than it spells: only the
  // names the file system keeps as they are are taken. Generated short
  // names hold a "~"; a path without one needs no look.
  static bool plain_long_name(const std::string& path) {
    if (path.find('~') == std::string::npos) return true;
    char long_form[MAX_PATH * 2];
    const DWORD n = GetLongPathNameA(path.c_str(), long_form, sizeof long_form);
    if (n == 0) return is_gone_error(GetLastError()) && plain_long_name(parent_dir(path));
    return n < sizeof long_form && fold_name_case(std::string(long_form, n)) == fold_name_case(path);
  }

  // No folder between root and path is a link (junction or symbolic link):
  // one look per folder, kept for the rest of the run.
  bool reached_without_link(const std::string& path, const std::string& root) {
    if (root.empty()) return true;
    std::string folder = parent_dir(path);
    std::string top = fold_name_case(root);
    strip_trailing_backslash(top);
    while (!folder.empty() && fold_name_case(folder).size() > top.size()) {
      const std::string key = fold_name_case(folder);
      auto known = link_free_.find(key);
      if (known == link_free_.end()) known = link_free_.emplace(key, !is_link(GetFileAttributesA(folder.c_str()))).first;
      if (!known->second) return false;
      folder = parent_dir(folder);
    }
    return true;
  }

  // True when the folder holds nothing but skipped files and folders of them.
  bool holds_only_skipped(const std::string& folder) const {
    WIN32_FIND_DATAA data;
    const FindHandle find(FindFirstFileA(join_path(folder, "*").c_str(), &data));
    if (!find) return false;
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = join_path(folder, name);
      if (is_link(data.dwFileAttributes)) return false;
      if (is_folder(data.dwFileAttributes) ? !holds_only_skipped(child) : !skipped_.count(fold_name_case(child))) {
        return false;
      }
    } while (FindNextFileA(find.get(), &data));
    return true;
  }

  bool holds_left(const std::string& folder) const {
    for (const LeftItem& item : out_.left) {
      if (is_same_or_below(item.path, folder)) return true;
    }
    return false;
  }

  // Whether the run's file at path could not be deleted: then what lies
  // there is the run's own.
  bool left_in_place(const std::string& path) const {
    for (const LeftItem& item : out_.left) {
      if (fold_name_case(item.path) == fold_name_case(path)) return true;
    }
    return false;
  }

  void removed_file(const std::string& path) {
    ++out_.files;
    finished("removed " + path);
  }

  // What should have gone and stays, with the system's error when one was given.
  void leave(const UndoStep& step, Msg why, DWORD error = 0) {
    if (has_prefix(step.record, record::file) || has_prefix(step.record, record::dir) ||
        has_prefix(step.record, record::app)) {
      out_.records_left.push_back(step.record);
    }
    leave_only(step, why, error);
  }
  void leave_only(const UndoStep& step, Msg why, DWORD error = 0) {
    out_.left.push_back({step.path, why, error});
    finished("could not undo " + step.path + " (" + logged(why, error) + ")", error);
  }
  void leave_saved(const UndoStep& step, Msg why, DWORD error = 0) {
    out_.left.push_back({step.from, why, error});
    finished("could not put back " + step.path + " from " + step.from + " (" + logged(why, error) + ")", error);
  }

  void finished(std::string_view outcome, DWORD error = 0) {
    if (c_.progress) c_.progress->file_finished(outcome, error);
  }

  const UndoContext& c_;
  std::map<std::string, bool> skipped_;
  std::map<std::string, bool> link_free_;
  UndoOutcome out_;
};

}  // namespace

UndoOutcome carry_out(const UndoPlan& plan, const UndoContext& context) { return Executor(context).run(plan); }
