// The sample setup into the 512 KiB drive S: of the engine tests' fixture,
// smaller than the sample's files. Mounting the drive needs root; without
// it the test skips.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "core/size_text.h"
#include "e2e_paths.h"
#include "setup_run.h"
#include "tests/driver/process.h"
#include "tests/e2e/install_check.h"
#include "tests/e2e/machine_state.h"
#include "tests/support/win_fs.h"

namespace {

constexpr const char* small_drive = "S:\\";

// The log's line for the drive and its two figures in bytes: "check free
// space: drive S:\ needs 1.21 MB (1269760 bytes), 0.50 MB (524288 bytes)
// free: not enough".
struct SpaceLine {
  std::string line;
  std::uint64_t needed = 0;
  std::uint64_t free = 0;
};
SpaceLine space_line(const std::string& log) {
  SpaceLine found;
  for (const std::string& l : journal_lines(read_file(log).value_or(""))) {
    if (l.rfind(std::string("check free space: drive ") + small_drive + " needs ", 0) != 0) continue;
    found.line = l;
    const std::size_t first = l.find(" (");
    const std::size_t second = l.find(" (", first + 1);
    if (second == std::string::npos) break;
    found.needed = std::strtoull(l.c_str() + first + 2, nullptr, 10);
    found.free = std::strtoull(l.c_str() + second + 2, nullptr, 10);
  }
  DeleteFileA(log.c_str());
  return found;
}

}  // namespace

// Refused before anything is written: silent by its own exit code and the
// log's figures, which are the system's; interactive by the path dialog's
// message, which names the drive and the same figures in the run's language
// and leaves the dialog open until the user closes it. No folder, record,
// link, entry or backup folder is left, on S: or on C:.
TEST(FullDiskSpace, ADriveTooSmallIsRefusedBeforeAnythingIsWritten) {
  ULARGE_INTEGER available{}, total{}, free{};
  if (!GetDiskFreeSpaceExA(small_drive, &available, &total, &free)) {
    GTEST_SKIP() << "drive S: is not set up (the fixture needs root)";
  }
  ASSERT_LE(total.QuadPart, 1024u * 1024) << "S: is not the small test drive";
  TempDir logs;
  const std::string log = logs / "run.log";
  const TreeSnapshot c_before = machine();
  const TreeSnapshot s_before = snapshot("S:");
  const std::string entries_before = uninstall_keys();

  const SetupRun silent = run_setup(e2e_sample_setup, {"-G", std::string("-P") + small_drive, "-W" + log});
  const std::string log_text = read_file(log).value_or("");
  EXPECT_EQ(silent.exit_code, 8u) << log_text;
  EXPECT_TRUE(silent.boxes.empty()) << silent.log;
  EXPECT_EQ(log_text.find("write test"), std::string::npos) << log_text;
  EXPECT_NE(log_text.find("\r\nexit code 8\r\n"), std::string::npos) << log_text;
  const SpaceLine refused = space_line(log);
  EXPECT_EQ(refused.free, available.QuadPart) << log_text;
  EXPECT_GT(refused.needed, total.QuadPart) << log_text;
  EXPECT_NE(refused.line.find(" free: not enough"), std::string::npos) << log_text;

  struct Language {
    const char* option;
    bool german;
    std::string head, middle, tail;  // around the two figures
  };
  const Language languages[] = {
      {"-L0", false, "There is not enough free space on drive S:\\ for this installation: it needs ", " there, and ",
       " are free.\r\nFree some space on the drive, or choose another folder."},
      {"-L1000", true, "Auf dem Laufwerk S:\\ ist nicht genug Platz für diese Installation frei: Sie braucht dort ",
       ", frei sind ", ".\r\nBitte auf dem Laufwerk Platz schaffen oder einen anderen Ordner wählen."},
  };
  for (const Language& language : languages) {
    SCOPED_TRACE(language.option);
    driver::Process process = driver::Process::start(driver::quote_arg(e2e_sample_setup) + " " + language.option +
                                                     " " + driver::quote_arg("-W" + log));
    ASSERT_TRUE(process.started());
    driver::Driver d;
    d.set_process(process.pid());
    const auto dialog = d.wait_dialog(path_dialog_caption);
    ASSERT_TRUE(dialog) << d.log().text();
    ASSERT_TRUE(d.set_text(dialog->hwnd, 302, small_drive));
    ASSERT_TRUE(d.click(dialog->hwnd, 320));
    const auto box = d.wait_dialog(product_folder);
    ASSERT_TRUE(box) << d.log().text();
    EXPECT_EQ(box->buttons.size(), 1u);
    EXPECT_TRUE(d.press(*box, IDOK));
    EXPECT_TRUE(driver::is_visible_dialog(dialog->hwnd)) << "the dialog closed after the refusal";
    ASSERT_TRUE(d.close(dialog->hwnd));
    const driver::ExitWatch end = d.wait_for_exit(process, 10000);
    EXPECT_EQ(end.exit_code, 3u);

    const SpaceLine shown = space_line(log);
    EXPECT_EQ(shown.line, refused.line);
    const auto [needed, free_text] = size_texts_apart(shown.needed, shown.free, language.german);
    EXPECT_EQ(box->message, language.head + needed + language.middle + free_text + language.tail);
    EXPECT_NE(needed.find(language.german ? ',' : '.'), std::string::npos) << needed;
  }

  EXPECT_FALSE(folder_exists(std::string(small_drive) + product_folder));
  EXPECT_EQ(tree_differences(s_before, snapshot("S:")), "");
  EXPECT_EQ(tree_differences(c_before, machine()), "");
  EXPECT_EQ(uninstall_keys(), entries_before);
}
