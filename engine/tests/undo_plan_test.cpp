#include "engine/undo_plan.h"

#include <gtest/gtest.h>

#include "core/settings.h"
#include "engine/backup_list.h"
#include "engine/journal_runs.h"
#include "engine/run_record.h"

namespace {

using namespace std::string_literals;

const std::string digest(64, 'A');

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
  return make_installation_places("C:\\Games\\Q\\", f, names, {"C:\\Users\\u\\Start Menu\\Programs\\StartUp"},
                                  [](std::string_view folder, std::string_view dir) {
                                    // The setup names the entry after the folder exactly as it spelt it.
                                    return std::string(folder) + "__at__" + (dir == "C:\\Games\\Q\\" ? "1" : "2");
                                  });
}

std::string steps_of(const UndoPlan& plan) {
  static const char* const names[] = {"delete ", "write ", "cut ", "restore ", "rmdir ", "entry ", "entry-back ",
                                      "made ", "tree ", "delete-saved "};
  std::string out;
  for (const UndoStep& s : plan.steps) {
    out += names[static_cast<int>(s.action)] + s.path + (s.from.empty() ? "" : " <- " + s.from) + "\n";
  }
  return out;
}

std::string refused_of(const UndoPlan& plan) {
  std::string out;
  for (const RefusedRecord& r : plan.refused) out += r.record + " (" + reason_text(r.why, false) + ")\n";
  return out;
}

UndoPlan from_journal(const std::string& journal, const std::string& backup_list = "") {
  const JournalRuns runs = read_journal_runs(journal, backup_list, "C:\\Games\\Q\\uninst\\log_inst.dat");
  UndoPlan plan = plan_undo(runs.runs, places(), RecordSource::journal);
  for (const RefusedRecord& r : runs.unreadable) plan.refused.push_back(r);
  return plan;
}

// A fresh installation, then a second one over it that kept what it
// replaced and replaced a shortcut: the second is undone first, its saved
// files go back after its own files are gone (only those the backup list
// names, with their digests), and the first one's folders go last.
TEST(UndoPlan, UninstallUndoesRunsNewestFirstEachLikeARollback) {
  const std::string first =
      "DIR:C:\\Games\r\nDIR:C:\\Games\\Q\r\nC:\\Games\\Q\\del_me_874bvgj345t87gd3z.txt\r\n"
      "DIR:C:\\Games\\Q\\data\r\nFILE:C:\\Games\\Q\\data\\a.dat\r\nDIR:C:\\Games\\Q\\uninst\r\n"
      "FILE:C:\\Games\\Q\\uninst\\uninstall.exe\r\nDIR:C:\\All\\Start Menu\\Programs\\Q\r\n"
      "FILE:C:\\All\\Start Menu\\Programs\\Q\\Game.lnk\r\nAPP:Q__at__1\r\nFILE:C:\\Games\\Q\\uninst\\log_inst.dat\r\n";
  // The second run spelt the folder in lower case.
  const std::string second =
      "c:\\games\\q\\del_me_874bvgj345t87gd3z_2.txt\r\nFILE:c:\\games\\q\\data\\a.dat\r\n"
      "FILE:c:\\games\\q\\data\\b.dat\r\nRDIR:C:\\Temp\\Installer_0000ABCD\r\n"
      "FILE:C:\\All\\Start Menu\\Programs\\Q\\Game.lnk\r\nAPP:Q__at__2\r\n"
      "FILE:c:\\games\\q\\uninst\\log_backup.dat\r\nFILE:c:\\games\\q\\uninst\\log_inst.dat\r\n";
  const std::string list = backup_list_lines(
      {{"c:\\games\\q\\data\\a.dat", "C:\\Temp\\Installer_0000ABCD\\data\\a.dat", 33, digest}},
      {"C:\\Temp\\Installer_0000ABCD", "C:\\Temp\\Installer_0000ABCD\\data"},
      {{"C:\\All\\Start Menu\\Programs\\Q\\Game.lnk", "earlier"}}, first.size() + second.size());
  const UndoPlan plan = from_journal(first + second, list);
  EXPECT_EQ(plan.runs, 2);
  EXPECT_EQ(refused_of(plan), "");
  EXPECT_EQ(steps_of(plan),
            "delete c:\\games\\q\\data\\b.dat\n"
            "delete c:\\games\\q\\data\\a.dat\n"
            "write C:\\All\\Start Menu\\Programs\\Q\\Game.lnk\n"
            "restore c:\\games\\q\\data\\a.dat <- C:\\Temp\\Installer_0000ABCD\\data\\a.dat\n"
            "entry Q__at__2\n"
            "made C:\\Temp\\Installer_0000ABCD\\data\n"
            "made C:\\Temp\\Installer_0000ABCD\n"
            "tree C:\\Temp\\Installer_0000ABCD\n"
            "delete C:\\All\\Start Menu\\Programs\\Q\\Game.lnk\n"
            "delete C:\\Games\\Q\\uninst\\uninstall.exe\n"
            "delete C:\\Games\\Q\\data\\a.dat\n"
            "rmdir C:\\All\\Start Menu\\Programs\\Q\n"
            "rmdir C:\\Games\\Q\\uninst\n"
            "rmdir C:\\Games\\Q\\data\n"
            "rmdir C:\\Games\\Q\n"
            "rmdir C:\\Games\n"
            "entry Q__at__1\n");
  EXPECT_EQ(plan.steps[3].digest, digest);
  EXPECT_EQ(plan.steps[3].attributes, 33u);
  // Only the shortcut outside the installation folder must still lead into it.
  EXPECT_TRUE(plan.steps[8].only_if_ours);
  EXPECT_FALSE(plan.steps[9].only_if_ours);
}

// Without a backup list the uninstall cannot tell which files in a folder of
// replaced files the run saved: it puts none back (a folder given with -p
// holds the user's own files too), and removes only the setup's own empty
// backup folders.
TEST(UndoPlan, UninstallPutsBackOnlyWhatTheBackupListNames) {
  const UndoPlan plan = from_journal(
      "FILE:C:\\Games\\Q\\data\\readme.txt\r\nRDIR:D:\\keepme\r\nFILE:C:\\Games\\Q\\uninst\\log_inst.dat\r\n");
  EXPECT_EQ(steps_of(plan), "delete C:\\Games\\Q\\data\\readme.txt\n");
  for (const char* name : {"Installer_0123ABCD", "C:\\T\\Installer_FFFFFFFF\\"}) EXPECT_TRUE(is_own_backup_folder(name));
  for (const char* name : {"Installer_0123abcd", "C:\\T\\Installer_0123ABC", "C:\\T\\Installer_0123ABCDE", "D:\\mine"}) {
    EXPECT_FALSE(is_own_backup_folder(name)) << name;
  }
}

// Every place outside the installation's, in every form of path, for every
// kind of line: as a journal line it is refused and named, as a line of a
// stopped run's record it refuses the record, and no step is planned for it.
TEST(UndoPlan, NothingOutsideTheInstallationsPlacesIsEverPlanned) {
  const std::vector<std::string> targets = {
      "C:\\Windows\\system.ini",                           // a system file
      "C:\\Windows\\System32\\new.dll",
      "C:\\Users\\u\\Documents\\keep.txt",                 // a user's file
      "C:\\Users\\u\\Desktop\\notes.txt",                  // a desktop file not ours
      "C:\\Users\\u\\Desktop\\Other\\Game.lnk",            // our name, but not on the desktop itself
      "C:\\All\\Start Menu\\Programs\\Other\\Other.lnk",   // another product's link
      "C:\\All\\Start Menu\\Programs\\Other",              // and its folder
      "C:\\All\\Start Menu\\Programs",                     // the menu itself
      "C:\\Users\\u\\Start Menu\\Programs\\StartUp",       // the shell's own folder
      "Z:\\etc\\passwd",                                   // the host through Wine's Z:
      "C:\\Games\\Q\\..\\..\\Windows\\win.ini",            // escapes
      "C:\\Games\\Q\\data\\..\\..\\x.txt",
      "C:\\Games\\Qx\\a.dat",                              // a sibling that shares the name's start
      "C:\\PROGRA~1\\Other\\a.dat",                        // a short name
      "C:\\Games\\Q\\a.dat:stream",                        // a stream
      "C:\\Games\\Q\\a.dat::$DATA",
      "\\\\?\\C:\\Windows\\win.ini",                       // the long-path and device forms
      "\\\\.\\C:\\Windows\\win.ini",
      "\\\\server\\share\\Q\\a.dat",                       // UNC
      "C:\\Games\\Q\\a.dat.",                              // trailing dot and blank
      "C:\\Games\\Q\\a.dat ",
      "C:\\Games\\Q\\data.\\..\\..",
      "C:\\Games\\Q\\nul",                                 // a device
      "C:\\Games/Q\\a.dat",                                // the other separator
      "C:\\Games\\Q\\\\a.dat",                             // a doubled one
      "C:Games\\Q\\a.dat",                                 // relative to a drive's folder
      "relative\\a.dat",
      "",
  };
  const std::string journal_end = "FILE:C:\\Games\\Q\\uninst\\log_inst.dat\r\n";
  for (const std::string& t : targets) {
    SCOPED_TRACE(t);
    // The journal's lines; the backup list's, tied to the run they end.
    for (const std::string& line : {"FILE:" + t, "DIR:" + t, "APP:" + t}) {
      const UndoPlan plan = from_journal(line + "\r\n" + journal_end);
      EXPECT_EQ(steps_of(plan), "") << line;
      EXPECT_EQ(plan.refused.size(), 1u) << line << "\n" << refused_of(plan);
    }
    const std::string run = "RDIR:C:\\Temp\\Installer_0000ABCD\r\n" + journal_end;
    const std::string saved_lines[] = {
        backup_list_lines({{t, "C:\\Temp\\Installer_0000ABCD\\a.dat", 0, digest}}, {}, {}, run.size()),
        backup_list_lines({{"C:\\Games\\Q\\a.dat", t, 0, digest}}, {}, {}, run.size()),
        backup_list_lines({{"C:\\Games\\Q\\a.dat", "C:\\Temp\\Installer_0000ABCD\\a.dat", 0, digest}}, {t}, {},
                          run.size()),
        backup_list_lines({}, {}, {{t, "bytes"}}, run.size()),
    };
    for (const std::string& list : saved_lines) {
      const UndoPlan plan = from_journal(run, list);
      for (const UndoStep& s : plan.steps) {
        EXPECT_TRUE(s.action == UndoAction::remove_backup_tree || s.action == UndoAction::put_back ||
                    s.action == UndoAction::remove_made_folder)
            << steps_of(plan);
        EXPECT_TRUE(t.empty() || (s.path != t && s.from != t)) << steps_of(plan);
      }
      EXPECT_FALSE(plan.refused.empty()) << list;
    }

    // A stopped run's record: every kind of line, each alone with an
    // otherwise harmless record, refuses it whole. A backup folder may lie
    // anywhere but in the system's folders (-p is the user's choice): named
    // as one, the target is only never acted on itself.
    const std::pair<std::string, bool> record_lines[] = {
        {"FILE:" + t, true},
        {"DIR:" + t, true},
        {"APP:" + t, true},
        {"*BACKUP:" + t + "\r\n*SAVE:C:\\Games\\Q\\a.dat|" + t + "\\a.dat|32|" + digest, false},
        {"*BACKUP:C:\\Temp\\Installer_0000ABCD\r\n*SAVE:" + t + "|C:\\Temp\\Installer_0000ABCD\\a.dat|32|" + digest, true},
        {"*BACKUP:C:\\Temp\\Installer_0000ABCD\r\n*SAVE:C:\\Games\\Q\\a.dat|" + t + "|32|" + digest, true},
        {run_record::link_was_line(t, "OVERWRITTEN"), true},
        {"*APPWAS:" + t, true},
        {run_record::app_value_line(t, "DisplayName", 1, "x"), true},
        {run_record::journal_was_line(t, 3), true},
    };
    for (const auto& [line, must_refuse] : record_lines) {
      const StoppedRun stopped = parse_run_record("FILE:C:\\Games\\Q\\ok.dat\r\n" + line + "\r\n");
      const UndoPlan plan = plan_undo({stopped}, places(), RecordSource::stopped_run);
      if (must_refuse) {
        EXPECT_FALSE(plan.refused.empty() && stopped.unreadable.empty()) << line << "\n" << steps_of(plan);
      }
      for (const UndoStep& s : plan.steps) {
        EXPECT_TRUE(t.empty() || (s.path != t && s.from != t)) << line;
      }
    }
  }
}

// The places themselves, and what is allowed in each.
TEST(UndoPlan, TheInstallationsOwnPlacesAreTaken) {
  const StoppedRun stopped = parse_run_record(
      "*MENU:C:\\Users\\u\\Start Menu\\Programs\\Games\\Q\r\n"
      "DIR:C:\\Games\r\nDIR:C:\\Games\\Q\r\nFILE:C:\\Games\\Q\\a.dat\r\n"
      "*BACKUP:D:\\bk\\deep\r\nDIR:D:\\bk\r\nDIR:D:\\bk\\deep\r\nDIR:D:\\bk\\deep\\sub\r\n"
      "*SAVE:C:\\Games\\Q\\sub\\b.dat|D:\\bk\\deep\\sub\\b.dat|33|" + digest + "\r\n"
      "DIR:C:\\Users\\u\\Start Menu\\Programs\\Games\r\nDIR:C:\\Users\\u\\Start Menu\\Programs\\Games\\Q\r\n"
      "*LINKWAS:C:\\Users\\u\\Desktop\\Game.lnk|4142\r\n"
      "FILE:C:\\Users\\u\\Start Menu\\Programs\\Games\\Q\\Spiel entfernen.lnk\r\n"
      "*APPWAS:Q__at__1\r\n*APPVALUE:Q__at__1|Display|Name|1|51\r\nAPP:Q__at__1\r\n"
      "*JOURNALWAS:C:\\Games\\Q\\uninst\\log_inst.dat|120\r\n"
      "FILE:C:\\Games\\Q\\uninst\\log_backup.dat\r\n");
  EXPECT_TRUE(stopped.unreadable.empty());
  const UndoPlan plan = plan_undo({stopped}, places(), RecordSource::stopped_run);
  EXPECT_EQ(refused_of(plan), "");
  EXPECT_EQ(steps_of(plan),
            "delete C:\\Games\\Q\\uninst\\log_backup.dat\n"
            "delete C:\\Users\\u\\Start Menu\\Programs\\Games\\Q\\Spiel entfernen.lnk\n"
            "delete C:\\Games\\Q\\a.dat\n"
            "write C:\\Users\\u\\Desktop\\Game.lnk\n"
            "cut C:\\Games\\Q\\uninst\\log_inst.dat\n"
            "restore C:\\Games\\Q\\sub\\b.dat <- D:\\bk\\deep\\sub\\b.dat\n"
            "rmdir C:\\Users\\u\\Start Menu\\Programs\\Games\\Q\n"
            "rmdir C:\\Users\\u\\Start Menu\\Programs\\Games\n"
            "rmdir C:\\Games\\Q\n"
            "rmdir C:\\Games\n"
            "entry-back Q__at__1\n"
            "made D:\\bk\\deep\\sub\n"
            "made D:\\bk\\deep\n"
            "made D:\\bk\n");
  ASSERT_EQ(plan.steps[10].values.size(), 1u);
  EXPECT_EQ(plan.steps[10].values[0].name, "Display|Name");
  EXPECT_EQ(plan.steps[10].values[0].data, "Q");

  // Start-menu folders are the product's only when they hold its links or
  // are the ones the run was to use.
  const StoppedRun other = parse_run_record("DIR:C:\\Users\\u\\Start Menu\\Programs\\Games\r\n");
  EXPECT_FALSE(plan_undo({other}, places(), RecordSource::stopped_run).refused.empty());
}

// Lines a stopped run's record never holds make it unreadable: nothing of
// it may be done. A last line cut short and a line with a zero byte (the
// mark an undo that resumes the record writes) are passed over.
TEST(UndoPlan, ARecordWithLinesNoRunWritesIsUnreadable) {
  const std::string bad[] = {
      "FILE:C:\\Games\\Q\\a.dat\nDIR:C:\\x",                  // a bare line feed inside a line
      "*SAVE:C:\\Games\\Q\\a.dat|C:\\T\\a.dat|32",            // no digest field
      "*SAVE:C:\\Games\\Q\\a.dat|C:\\T\\a.dat|x|" + digest,   // attributes not a number
      "*SAVE:C:\\Games\\Q\\a.dat|C:\\T\\a.dat|32|abc",        // no digest
      "*LINKWAS:C:\\Users\\u\\Desktop\\Game.lnk|4G",          // not hexadecimal
      "*APPVALUE:Q__at__1|Name|99999999999|00",               // type beyond 32 bits
      "*JOURNALWAS:C:\\Games\\Q\\uninst\\log_inst.dat|-1",
      "del C:\\Windows\\win.ini",
      "RDIR:C:\\Temp\\x",                                     // a journal's line, not a record's
  };
  for (const std::string& line : bad) {
    const StoppedRun run = parse_run_record("FILE:C:\\Games\\Q\\ok.dat\r\n" + line + "\r\n");
    EXPECT_EQ(run.unreadable.size(), 1u) << line;
  }
  const StoppedRun passed = parse_run_record("FILE:C:\\Games\\Q\\a\0b\r\nFILE:C:\\Games\\Q\\cut"s);
  EXPECT_TRUE(passed.unreadable.empty());
  EXPECT_TRUE(passed.empty());
}

// A complete run's record: only its saved files, checked like every other
// step, are left to delete.
TEST(UndoPlan, ACompleteRunDeletesOnlyItsOwnSavedFiles) {
  const StoppedRun done = parse_run_record(
      "*BACKUP:C:\\Temp\\Installer_0000ABCD\r\nDIR:C:\\Temp\\Installer_0000ABCD\r\n"
      "*SAVE:C:\\Games\\Q\\a.dat|C:\\Temp\\Installer_0000ABCD\\a.dat|32|" + digest + "\r\n*DONE\r\n");
  ASSERT_TRUE(done.done);
  const UndoPlan plan = plan_saved_files_deletion(done, places());
  EXPECT_EQ(steps_of(plan),
            "delete-saved C:\\Temp\\Installer_0000ABCD\\a.dat\nmade C:\\Temp\\Installer_0000ABCD\n");
  const StoppedRun planted = parse_run_record(
      "*BACKUP:C:\\Users\\u\\Documents\r\n"
      "*SAVE:C:\\Games\\Q\\keep.doc|C:\\Users\\u\\Documents\\other.doc|32|" + digest + "\r\n*DONE\r\n");
  const UndoPlan refused = plan_saved_files_deletion(planted, places());
  EXPECT_EQ(steps_of(refused), "");
  EXPECT_EQ(refused.refused.size(), 1u);
}

// The backup list ties its lines to the runs of log_inst.dat by where each
// run ends; lines of no run, or of a run the journal does not hold, are
// refused.
TEST(UndoPlan, TheBackupListBelongsToTheRunsItNames) {
  const std::string run = "FILE:C:\\Games\\Q\\a.dat\r\nFILE:C:\\Games\\Q\\uninst\\log_inst.dat\r\n";
  const SavedItem item{"C:\\Games\\Q\\a.dat", "C:\\T\\Installer_0000ABCD\\a.dat", 32, digest};
  const std::string list = backup_list_lines({item}, {}, {}, run.size());
  const BackupList parsed = parse_backup_list(list);
  ASSERT_EQ(parsed.runs.size(), 1u);
  EXPECT_EQ(parsed.runs[0].journal_end, run.size());
  EXPECT_EQ(parsed.runs[0].saved[0].digest, digest);
  EXPECT_TRUE(parsed.unreadable.empty());

  const JournalRuns second = read_journal_runs(run + run, list, "C:\\Games\\Q\\uninst\\log_inst.dat");
  EXPECT_EQ(second.runs[0].saved.size(), 1u);
  EXPECT_TRUE(second.runs[1].saved.empty());
  const JournalRuns none = read_journal_runs(run, backup_list_lines({item}, {}, {}, 7), "C:\\Games\\Q\\uninst\\log_inst.dat");
  EXPECT_EQ(none.unreadable.size(), 1u);
  const JournalRuns unended = read_journal_runs(run, list.substr(0, list.find("RUN:")), "C:\\Games\\Q\\uninst\\log_inst.dat");
  EXPECT_EQ(unended.unreadable.size(), 1u);

  // A journal that is empty, or holds no line the setup writes, has no record.
  for (const std::string& journal : {std::string(), std::string("FILE:a\nFILE:b\n"), std::string(100000, 'x')}) {
    const JournalRuns runs = read_journal_runs(journal, "", "C:\\Games\\Q\\uninst\\log_inst.dat");
    EXPECT_EQ(runs.records, 0);
  }
}

}  // namespace
