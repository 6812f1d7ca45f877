// Starting, waiting for and killing the programs a test drives.

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "tests/driver/process.h"
#include "tests/driver/tests/helpers.h"
#include "tests/support/win_fs.h"

namespace {

using driver::Process;
using driver_test::start_show_box;

// What the standard parser (CommandLineToArgvW) makes of a quoted argument.
std::vector<std::wstring> parsed_args(const std::string& command_line) {
  const int size = MultiByteToWideChar(CP_ACP, 0, command_line.c_str(), -1, nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_ACP, 0, command_line.c_str(), -1, &wide[0], size);
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(wide.c_str(), &count);
  std::vector<std::wstring> out(argv, argv + count);
  LocalFree(argv);
  return out;
}

std::wstring widen(const std::string& s) {
  std::wstring out;
  for (const char c : s) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return out;
}

TEST(QuoteArg, TheParserGivesEveryArgumentBack) {
  const std::vector<std::string> args = {
      "plain", "", "two words", "tab\there", "quote\"inside", "C:\\Program Files\\",
      "trailing\\\\", "\\\"both\\", "a\\\\b", "\"", "\\",
  };
  for (const std::string& arg : args) {
    const auto parsed = parsed_args("prog.exe " + driver::quote_arg(arg) + " next");
    ASSERT_EQ(parsed.size(), 3u) << "[" << arg << "] as " << driver::quote_arg(arg);
    EXPECT_EQ(parsed[1], widen(arg)) << "[" << arg << "] as " << driver::quote_arg(arg);
    EXPECT_EQ(parsed[2], L"next");
  }
  EXPECT_EQ(driver::quote_arg("plain"), "plain");
  EXPECT_EQ(driver::command_line({"a b", "c"}), "\"a b\" c");
}

TEST(Process, ReportsTheExitCode) {
  Process p = start_show_box({"exit", "42"});
  ASSERT_TRUE(p.started()) << p.error();
  EXPECT_NE(p.pid(), 0u);
  ASSERT_TRUE(p.wait(10000));
  EXPECT_FALSE(p.running());
  EXPECT_EQ(p.exit_code(), 42u);
}

TEST(Process, AMissingProgramDoesNotStart) {
  Process p = Process::start("Z:\\no\\such\\program.exe");
  EXPECT_FALSE(p.started());
  EXPECT_NE(p.error(), 0u);
  EXPECT_FALSE(p.wait(0));
  EXPECT_FALSE(p.exit_code());
  p.kill();  // harmless

  const driver::RunResult r = driver::run("Z:\\no\\such\\program.exe", 1000);
  EXPECT_FALSE(r.started);
  EXPECT_NE(r.error, 0u);
}

TEST(Process, WaitTimesOutAndKillEndsIt) {
  Process p = start_show_box({"--delay", "20000", "exit", "0"});
  ASSERT_TRUE(p.started());
  const DWORD start = GetTickCount();
  EXPECT_FALSE(p.wait(200));
  EXPECT_GE(GetTickCount() - start, 150u);
  EXPECT_TRUE(p.running());
  EXPECT_FALSE(p.exit_code());
  p.kill();
  EXPECT_FALSE(p.running());
  EXPECT_EQ(p.exit_code(), driver::kKilledExitCode);
}

TEST(Process, RunKillsOnTimeout) {
  const DWORD start = GetTickCount();
  const driver::RunResult r = driver::run(
      driver::command_line({driver_test::sibling("show_box.exe"), "--delay", "20000", "exit", "0"}), 300);
  EXPECT_TRUE(r.started);
  EXPECT_TRUE(r.timed_out);
  EXPECT_EQ(r.exit_code, driver::kKilledExitCode);
  EXPECT_LT(GetTickCount() - start, 10000u);
}

TEST(Process, GoingOutOfScopeKillsARunningProcess) {
  HANDLE copy = nullptr;
  {
    Process p = start_show_box({"--delay", "20000", "exit", "0"});
    ASSERT_TRUE(p.started());
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), p.handle(), GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0));
  }
  driver::UniqueHandle owned(copy);
  EXPECT_EQ(WaitForSingleObject(owned.get(), 0), WAIT_OBJECT_0);
}

TEST(Process, MovingKeepsOneOwner) {
  Process a = start_show_box({"exit", "7"});
  ASSERT_TRUE(a.started());
  Process b = std::move(a);
  EXPECT_FALSE(a.started());  // NOLINT(bugprone-use-after-move): checks the move
  ASSERT_TRUE(b.wait(10000));
  EXPECT_EQ(b.exit_code(), 7u);
}

TEST(Process, RedirectsOutputToFiles) {
  TempDir dir;
  driver::StartOptions both;
  both.stdout_path = dir / "out.txt";
  both.stderr_path = dir / "err.txt";
  // show_box prints its usage on stderr.
  Process p = start_show_box({"nonsense"}, both);
  ASSERT_TRUE(p.started());
  ASSERT_TRUE(p.wait(10000));
  EXPECT_EQ(p.exit_code(), 255u);
  EXPECT_EQ(read_file(dir / "out.txt"), "");
  const auto err = read_file(dir / "err.txt");
  ASSERT_TRUE(err);
  EXPECT_NE(err->find("usage: show_box"), std::string::npos) << *err;

  driver::StartOptions shared;
  shared.stdout_path = shared.stderr_path = dir / "all.txt";
  Process q = start_show_box({"nonsense"}, shared);
  ASSERT_TRUE(q.wait(10000));
  const auto all = read_file(dir / "all.txt");
  ASSERT_TRUE(all);
  EXPECT_NE(all->find("usage: show_box"), std::string::npos);

  driver::StartOptions unwritable;
  unwritable.stdout_path = dir / "missing\\out.txt";
  EXPECT_FALSE(Process::start(driver::quote_arg(driver_test::sibling("show_box.exe")), unwritable).started());
}

}  // namespace
