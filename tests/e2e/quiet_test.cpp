// Quiet runs (-G -Q), as deployment tools start them with no one at the
// screen: no window of any kind, from setup.exe, from uninstall.exe or from
// the uninstaller's copy in the temporary folder; each outcome only as the
// exit code; and the -W log of what the run did.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <optional>

#include "e2e_paths.h"
#include "setup_run.h"
#include "tests/driver/driver.h"
#include "tests/e2e/install_check.h"
#include "tests/support/win_fs.h"

namespace {

struct QuietRun {
  bool finished = false;
  DWORD exit_code = 0;
  std::vector<std::string> windows;  // every visible top-level window seen
  std::string log;                   // the driver's
};

// A box would wait for a click that never comes: the run is then stopped
// after the timeout and shows as not finished.
QuietRun run_quiet(const std::string& program, const std::vector<std::string>& args, DWORD timeout_ms = 30000) {
  std::string command = driver::quote_arg(program);
  for (const std::string& arg : args) command += " " + driver::quote_arg(arg);
  QuietRun result;
  driver::Process process = driver::Process::start(command);
  if (!process.started()) {
    result.log = "could not start " + command;
    return result;
  }
  driver::Driver d;
  d.set_process(process.pid());
  d.watch_windows(true);
  const driver::ExitWatch watch = d.wait_for_exit(process, timeout_ms);
  result.finished = watch.exited;
  result.exit_code = watch.exit_code;
  result.windows = watch.windows;
  result.log = d.log().text();
  return result;
}

std::vector<std::string> log_lines(const std::string& path) {
  const std::optional<std::string> bytes = read_file(path);
  return bytes ? journal_lines(*bytes) : std::vector<std::string>{"<no log at " + path + ">"};
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

bool has_line(const std::vector<std::string>& lines, const std::string& start, const std::string& holding = "") {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.rfind(start, 0) == 0 && l.find(holding) != std::string::npos;
  });
}

// A failed file's line: what failed, where, then the system's code and its
// message (not empty).
bool names_system_error(const std::vector<std::string>& lines, const std::string& start, DWORD error) {
  const std::string code = ": error " + std::to_string(error) + ": ";
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
    const std::size_t at = l.find(code);
    return l.rfind(start, 0) == 0 && at != std::string::npos && l.size() > at + code.size();
  });
}

TEST(QuietRun, SetupAndUninstallShowNoWindowAtAllAndLogWhatTheyDid) {
  TempDir target;
  const std::string installed = target / product_folder;
  const std::string setup_log = target / "setup.log";
  const QuietRun setup =
      run_quiet(e2e_program("e2e_setup"), {"-G", "-Q", "-M", "-R", "-P" + target.path(), "-W" + setup_log});
  ASSERT_TRUE(setup.finished) << setup.log;
  EXPECT_EQ(setup.exit_code, 0u);
  EXPECT_EQ(setup.windows, std::vector<std::string>{}) << setup.log;
  expect_same_files(e2e_product_files, installed, installation_adds);

  const std::vector<std::string> lines = log_lines(setup_log);
  const std::string text = joined(lines);
  EXPECT_TRUE(has_line(lines, "options: G+ Q+ ", "-P \"" + target.path() + "\"")) << text;
  EXPECT_TRUE(has_line(lines, "installation folder: " + installed + "\\")) << text;
  EXPECT_TRUE(has_line(lines, "check payload: ", "checksums match")) << text;
  EXPECT_TRUE(has_line(lines, "check folders and write test: usable")) << text;
  // A line for each file written, with its size.
  const auto journal = read_file(installed + "\\uninst\\log_inst.dat");
  ASSERT_TRUE(journal);
  int written = 0;
  for (const std::string& l : lines) written += l.rfind("wrote " + installed + "\\", 0) == 0 ? 1 : 0;
  // The journal lists the files, the two links and itself besides.
  EXPECT_EQ(written + 3, file_records(journal_lines(*journal))) << text;
  EXPECT_TRUE(has_line(lines, "wrote " + installed + "\\uninst\\uninstall.exe (", " bytes)")) << text;
  EXPECT_TRUE(has_line(lines, "wrote the journal " + installed + "\\uninst\\log_inst.dat")) << text;
  EXPECT_EQ(lines.back(), "exit code 0") << text;

  // The uninstaller hands over to its copy in the temporary folder, which
  // must be quiet too, and whose result comes back as the exit code.
  const std::string uninstall_log = target / "uninstall.log";
  const QuietRun uninstall = run_quiet(installed + "\\uninst\\uninstall.exe", {"-G", "-Q", "-W" + uninstall_log});
  ASSERT_TRUE(uninstall.finished) << uninstall.log;
  EXPECT_EQ(uninstall.exit_code, 0u);
  EXPECT_EQ(uninstall.windows, std::vector<std::string>{}) << uninstall.log;
  for (int i = 0; i < 200 && folder_exists(installed); ++i) Sleep(50);  // the copy removes the uninstaller last
  EXPECT_FALSE(folder_exists(installed));

  const std::vector<std::string> removal = log_lines(uninstall_log);
  const std::string removal_text = joined(removal);
  EXPECT_TRUE(has_line(removal, "options: G+ Q+ ")) << removal_text;
  EXPECT_TRUE(has_line(removal, "uninstaller: " + installed + "\\uninst\\uninstall.exe (run from its copy ")) << removal_text;
  EXPECT_TRUE(has_line(removal, "check journal ", " 0 records refused")) << removal_text;
  EXPECT_TRUE(has_line(removal, "removed " + installed + "\\Quasarine II.lnk")) << removal_text;
  EXPECT_TRUE(has_line(removal, "removed folder " + installed + "\\")) << removal_text;
  EXPECT_EQ(removal.back(), "exit code 0") << removal_text;
}

// Every outcome a script must tell apart, from the exit code of a quiet run
// alone, with the log's last line saying the same. The rows on the 1 MiB
// drive Q: of the engine tests' fixture need root to set it up.
TEST(FullDiskQuiet, EachOutcomeComesBackAsItsExitCode) {
  TempDir target;
  const std::string on_q = std::string("Q:\\") + product_folder;
  struct Row {
    const char* outcome;
    std::string program;
    std::vector<std::string> args;
    DWORD exit_code;
    bool on_full_disk;
    std::string log_line;  // the log has a line that starts so
  };
  const Row rows[] = {
      {"installed", "e2e_setup", {"-M", "-R", "-P" + target.path()}, 0, false, "installed "},
      {"installed; the log cannot be written", "e2e_setup",
       {"-M", "-R", "-P" + (target / "other"), "-WC:\\no\\such\\folder\\quiet.log"}, 0, false, ""},
      {"damaged payload", "e2e_setup_flip_digest", {"-P" + target.path()}, 2, false, "check payload: missing or damaged"},
      {"unusable folder", "e2e_setup", {"-M", "-R", "-PGames"}, 4, false, "check base folder Games: "},
      {"rolled back after a full disk, -B", "e2e_setup", {"-B", "-M", "-R", "-PQ:\\"}, 5, true, "rollback: "},
      {"failed and kept, without -B", "e2e_setup", {"-M", "-R", "-PQ:\\"}, 6, true, "could not write " + on_q},
  };
  const bool have_q = folder_exists("Q:\\");
  for (const Row& row : rows) {
    if (row.on_full_disk && !have_q) {
      std::printf("skipped: %s (drive Q: is not set up; the fixture needs root)\n", row.outcome);
      continue;
    }
    const std::vector<std::string> records_before = unfinished_records("Q:");
    const std::string log = target / "run.log";
    std::vector<std::string> args = {"-G", "-Q"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    if (row.args.back().rfind("-W", 0) != 0) args.push_back("-W" + log);
    // The full disk is met while writing, not foreseen by the free-space check.
    std::optional<ScopedNoSpaceCheck> while_writing;
    if (row.on_full_disk) while_writing.emplace();
    const QuietRun r = run_quiet(e2e_program(row.program), args);
    ASSERT_TRUE(r.finished) << row.outcome << "\n" << r.log;
    EXPECT_EQ(r.exit_code, row.exit_code) << row.outcome;
    EXPECT_EQ(r.windows, std::vector<std::string>{}) << row.outcome << "\n" << r.log;
    if (!row.log_line.empty()) {
      const std::vector<std::string> lines = log_lines(log);
      EXPECT_TRUE(has_line(lines, row.log_line)) << row.outcome << "\n" << joined(lines);
      EXPECT_EQ(lines.back(), "exit code " + std::to_string(row.exit_code)) << row.outcome;
      // The failed one names the file and the system's reason: the disk is full.
      if (row.exit_code == 6) {
        EXPECT_TRUE(names_system_error(lines, "could not write " + on_q, ERROR_DISK_FULL)) << joined(lines);
      }
    }
    if (row.on_full_disk) {
      remove_tree(on_q);
      // A run whose journal did not fit keeps its record for the next run.
      for (const std::string& record : unfinished_records("Q:")) {
        if (std::find(records_before.begin(), records_before.end(), record) == records_before.end()) {
          DeleteFileA(record.c_str());
        }
      }
    }
    DeleteFileA(log.c_str());
  }
  // The run with the unwritable log went on as if it had none.
  expect_same_files(e2e_product_files, target / "other" + "\\" + product_folder, installation_adds);
}

// An uninstaller with no journal beside it: its copy in the temporary
// folder says so in a box, which the watch must see (or it proves nothing),
// and says nothing when quiet, where only the exit code and the log tell.
TEST(QuietRun, TheCopyOfTheUninstallerIsQuietToo) {
  TempDir target;
  ASSERT_TRUE(CreateDirectoryA((target / "uninst").c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(e2e_uninstaller, (target / "uninst\\uninstall.exe").c_str(), FALSE));
  const std::string program = target / "uninst\\uninstall.exe";
  const std::string log = target / "uninstall.log";

  const QuietRun shown = run_quiet(program, {"-G", "-W" + log}, 3000);
  EXPECT_FALSE(shown.finished);
  ASSERT_EQ(shown.windows.size(), 1u) << shown.log;
  EXPECT_NE(shown.windows[0].find("\"Uninstall failed\""), std::string::npos) << shown.windows[0];
  driver::Driver d;
  for (const driver::Dialog& box : d.dialogs()) {
    if (box.caption == "Uninstall failed") d.press(box, IDOK);
  }

  const QuietRun quiet = run_quiet(program, {"-G", "-Q", "-W" + log});
  ASSERT_TRUE(quiet.finished) << quiet.log;
  EXPECT_EQ(quiet.exit_code, 2u);
  EXPECT_EQ(quiet.windows, std::vector<std::string>{}) << quiet.log;
  const std::vector<std::string> lines = log_lines(log);
  EXPECT_TRUE(names_system_error(lines, "check journal " + target.path() + "\\uninst\\log_inst.dat: missing",
                                 ERROR_FILE_NOT_FOUND))
      << joined(lines);
  EXPECT_EQ(lines.back(), "exit code 2");
}

}  // namespace
