#include "engine/uninstall.h"

#include <windows.h>

#include <map>

#include "core/name_case.h"
#include "core/paths.h"
#include "core/progress_sink.h"
#include "core/win_handle.h"
#include "engine/run_record.h"
#include "engine/tree_removal.h"

namespace {

constexpr DWORD no_attributes = INVALID_FILE_ATTRIBUTES;

bool is_link(DWORD a) { return a != no_attributes && (a & FILE_ATTRIBUTE_REPARSE_POINT); }
bool is_folder(DWORD a) { return a != no_attributes && (a & FILE_ATTRIBUTE_DIRECTORY); }

std::string why_not(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "in use";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_DIR_NOT_EMPTY: return "not empty";
    default: return "error " + std::to_string(error);
  }
}

class Removal {
 public:
  Removal(const RemoveEntry& remove_entry, const std::vector<std::string>& skipped, ProgressSink* progress,
          StopHook* stop)
      : remove_entry_(remove_entry), progress_(progress), stop_(stop) {
    for (const std::string& s : skipped) skipped_[fold_name_case(s)] = true;
  }

  RemovalOutcome run(const UninstallPlan& plan) {
    std::uint64_t done = 0;
    for (const RemovalStep& step : plan.steps) {
      if (progress_) progress_->file_started(step.path, done++, plan.steps.size());
      if (stop_ && stop_->stop_after(step.record)) TerminateProcess(GetCurrentProcess(), 99);
      switch (step.kind) {
        case StepKind::delete_file: delete_file(step); break;
        case StepKind::remove_folder: remove_one_folder(step); break;
        case StepKind::restore_saved: restore(step); break;
        case StepKind::remove_entry: entry(step); break;
        case StepKind::remove_backup: backup(step); break;
      }
    }
    if (progress_) progress_->file_started("", plan.steps.size(), plan.steps.size());  // the bar full
    return std::move(out_);
  }

 private:
  void delete_file(const RemovalStep& step) {
    const std::string& path = step.path;
    if (skipped_.count(fold_name_case(path))) return;
    if (!reached_without_link(path, step.root)) return leave(path, "reached through a link");
    if (DeleteFileA(path.c_str())) return removed_file(path);
    const DWORD error = GetLastError();
    if (is_gone_error(error)) return finished("gone already: " + path);
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a == no_attributes) return leave(path, why_not(error), error);
    if (is_folder(a)) return leave(path, "a folder, not a file");
    if (a & FILE_ATTRIBUTE_READONLY) {
      SetFileAttributesA(path.c_str(), a & ~DWORD{FILE_ATTRIBUTE_READONLY});
      if (DeleteFileA(path.c_str())) return removed_file(path);
      const DWORD again = GetLastError();
      SetFileAttributesA(path.c_str(), a);
      return leave(path, why_not(again), again);
    }
    leave(path, why_not(error), error);
  }

  void removed_file(const std::string& path) {
    ++out_.files;
    finished("removed " + path);
  }

  void remove_one_folder(const RemovalStep& step) {
    const std::string& path = step.path;
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a == no_attributes) return;  // gone already
    // What stands there now is no folder the installation made.
    if (is_link(a) || !is_folder(a) || !reached_without_link(path, step.root)) return;
    if (RemoveDirectoryA(path.c_str())) {
      ++out_.folders;
      return finished("removed folder " + path);
    }
    const DWORD error = GetLastError();
    if (is_gone_error(error)) return;
    if (error != ERROR_DIR_NOT_EMPTY) return leave(path, why_not(error), error);
    if (holds_only_skipped(path)) {
      out_.retry_folders.push_back(path);
    } else {
      out_.kept_folders.push_back(path);
      finished("kept folder " + path + " (it holds files the installation did not create)");
    }
  }

  // Back into its place, with its attributes, only where nothing is now.
  void restore(const RemovalStep& step) {
    const DWORD a = GetFileAttributesA(step.from.c_str());
    if (a == no_attributes) return;  // not saved, or put back already
    if (GetFileAttributesA(step.path.c_str()) != no_attributes) return leave(step.from, "its place is taken");
    if (!reached_without_link(step.path, step.root)) return leave(step.from, "its place is reached through a link");
    SetFileAttributesA(step.from.c_str(), a & ~DWORD{FILE_ATTRIBUTE_READONLY});
    if (MoveFileA(step.from.c_str(), step.path.c_str())) {
      SetFileAttributesA(step.path.c_str(), a);
      ++out_.restored;
      return finished("put back " + step.path + " from " + step.from);
    }
    const DWORD error = GetLastError();
    SetFileAttributesA(step.from.c_str(), a);
    leave(step.from, why_not(error), error);
  }

  // While anything the installation made is left, its entry stays: the user
  // uninstalls again from there.
  void entry(const RemovalStep& step) {
    if (!out_.left.empty()) return;
    if (remove_entry_ && remove_entry_(step.path)) {
      ++out_.entries;
      finished("removed the Add/Remove Programs entry " + step.path);
    } else {
      leave(step.path, "the entry could not be removed");
    }
  }

  // The setup's own backup folder: its empty folders go, files stay.
  void backup(const RemovalStep& step) {
    if (!remove_empty_tree(step.path)) out_.kept_folders.push_back(step.path);
  }

  // No folder between root and path is a link (junction or symbolic link):
  // one look per folder, kept for the rest of the run.
  bool reached_without_link(const std::string& path, const std::string& root) {
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

  // What should have gone and stays, with the system's error when one was given.
  void leave(const std::string& path, const std::string& why, DWORD error = 0) {
    out_.left.push_back({path, why});
    finished("could not remove " + path + " (" + why + ")", error);
  }

  void finished(std::string_view outcome, DWORD error = 0) {
    if (progress_) progress_->file_finished(outcome, error);
  }

  const RemoveEntry& remove_entry_;
  ProgressSink* progress_;
  StopHook* stop_;
  std::map<std::string, bool> skipped_;
  std::map<std::string, bool> link_free_;
  RemovalOutcome out_;
};

}  // namespace

RemovalOutcome carry_out(const UninstallPlan& plan, const RemoveEntry& remove_entry,
                         const std::vector<std::string>& skipped, ProgressSink* progress, StopHook* stop) {
  return Removal(remove_entry, skipped, progress, stop).run(plan);
}

std::vector<std::string> remove_folders(const std::vector<std::string>& folders) {
  std::vector<std::string> stay;
  for (const std::string& f : folders) {
    if (!remove_folder(f)) stay.push_back(f);
  }
  return stay;
}
