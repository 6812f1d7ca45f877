// testdriver.exe answering show_box.exe, as the demo and shell scripts use it.

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/driver/driver.h"
#include "tests/driver/script.h"
#include "tests/driver/tests/helpers.h"
#include "tests/driver/tests/show_box_ids.h"
#include "tests/support/win_fs.h"

namespace {

using driver::Process;
using driver_test::run_testdriver;
using driver_test::start_show_box;

constexpr DWORD kRunTimeoutMs = 30000;

class Cli : public ::testing::Test {
 protected:
  std::string out() { return read_file(output_.stdout_path).value_or(""); }
  std::string err() { return read_file(output_.stderr_path).value_or(""); }
  std::string log() { return read_file(log_path_).value_or(""); }

  TempDir dir_;
  driver::StartOptions output_{dir_ / "out.txt", dir_ / "err.txt"};
  std::string log_path_ = dir_ / "driver.log";
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(Cli, AnswersABoxAndLogsIt) {
  Process box = start_show_box({"box", "Frage", "Weiter f\xFCr\\r\\nalle?", "yesno"});
  const auto r = run_testdriver({"--timeout", "10000", "--log", log_path_, "box", "Frage", "expect-text",
                                 "Weiter f\xFCr\\r\\nalle?", "press", "No"},
                                kRunTimeoutMs, output_);
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.exit_code, static_cast<DWORD>(driver::kExitOk)) << out() << err();
  ASSERT_TRUE(box.wait(10000));
  EXPECT_EQ(box.exit_code(), static_cast<DWORD>(IDNO));

  const std::string text = log();
  EXPECT_TRUE(has(text, "step 1/3: box \"Frage\"\r\n")) << text;
  EXPECT_TRUE(has(text, "found \"Frage\" (pid " + std::to_string(box.pid()) + "): message \"Weiter f\xFCr\\r\\nalle?\"; buttons "))
      << text;
  EXPECT_TRUE(has(text, "press No (7) in \"Frage\"\r\n")) << text;
  EXPECT_TRUE(has(text, "closed \"Frage\" after ")) << text;
  EXPECT_TRUE(has(text, "done: 3 steps\r\n")) << text;
  // The same lines go to the console; Wine's console streams end them with CR LF.
  EXPECT_TRUE(has(out(), "done: 3 steps\r\n")) << out();
  EXPECT_EQ(err(), "");
}

TEST_F(Cli, FailsWithinTheTimeoutWhenNoBoxAppears) {
  const DWORD start = GetTickCount();
  const auto r = run_testdriver({"--timeout", "300", "--log", log_path_, "box", "No such box", "press", "OK"},
                                kRunTimeoutMs, output_);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_EQ(r.exit_code, static_cast<DWORD>(driver::kExitTimeout));
  EXPECT_FALSE(r.timed_out);
  EXPECT_LT(elapsed, 10000u);
  EXPECT_TRUE(has(err(), "testdriver: step 1/2 (box) failed: no dialog \"No such box\" appeared within 300 ms"))
      << err();
  EXPECT_TRUE(has(log(), "timeout: no dialog \"No such box\" within 300 ms")) << log();
}

TEST_F(Cli, AWrongTextFailsAndLeavesTheBoxOpen) {
  Process box = start_show_box({"box", "Frage", "Eins\\r\\nZwei"});
  const auto r = run_testdriver({"box", "Frage", "expect-text", "Eins\\nZwei", "press", "OK"}, kRunTimeoutMs, output_);
  EXPECT_EQ(r.exit_code, static_cast<DWORD>(driver::kExitFailed));
  EXPECT_TRUE(has(err(), "message is \"Eins\\r\\nZwei\", expected \"Eins\\nZwei\"")) << err();
  EXPECT_TRUE(box.running());
}

TEST_F(Cli, PressingAMissingButtonFails) {
  Process box = start_show_box({"box", "Frage", "text", "okcancel"});
  const auto r = run_testdriver({"box", "Frage", "press", "Yes"}, kRunTimeoutMs, output_);
  EXPECT_EQ(r.exit_code, static_cast<DWORD>(driver::kExitFailed));
  EXPECT_TRUE(has(err(), "no enabled button Yes in \"Frage\"")) << err();
  EXPECT_TRUE(box.running());
}

TEST_F(Cli, ABadCommandLineExplainsItself) {
  const auto r = run_testdriver({"box", "X", "press", "Maybe"}, kRunTimeoutMs, output_);
  EXPECT_EQ(r.exit_code, static_cast<DWORD>(driver::kExitUsage));
  EXPECT_TRUE(has(err(), "testdriver: press: unknown button \"Maybe\"")) << err();
  EXPECT_TRUE(has(err(), "usage: testdriver")) << err();

  const auto help = run_testdriver({"--help"}, kRunTimeoutMs, output_);
  EXPECT_EQ(help.exit_code, 0u);
  EXPECT_TRUE(has(out(), "box CAPTION")) << out();

  const auto bad_log = run_testdriver({"--log", dir_ / "missing\\log.txt", "sleep", "1"}, kRunTimeoutMs, output_);
  EXPECT_EQ(bad_log.exit_code, static_cast<DWORD>(driver::kExitUsage));
  EXPECT_TRUE(has(err(), "cannot write the log")) << err();
}

// The demo looks at the box first and answers it in a second call.
TEST_F(Cli, LooksWithoutAnsweringThenAnswers) {
  Process box = start_show_box({"box", "Install complete", "3 Dateien"});
  const auto look = run_testdriver({"--log", log_path_, "box", "Install complete"}, kRunTimeoutMs, output_);
  EXPECT_EQ(look.exit_code, 0u) << err();
  EXPECT_TRUE(has(log(), "message \"3 Dateien\"")) << log();
  EXPECT_TRUE(box.running());
  const auto answer = run_testdriver({"--quiet", "box", "Install complete", "press", "OK"}, kRunTimeoutMs, output_);
  EXPECT_EQ(answer.exit_code, 0u) << err();
  EXPECT_EQ(out(), "");
  ASSERT_TRUE(box.wait(10000));
  EXPECT_EQ(box.exit_code(), static_cast<DWORD>(IDOK));
}

TEST_F(Cli, CloseAndGone) {
  Process box = start_show_box({"box", "Schlie\xDF" "en", "text", "okcancel"});
  const auto r = run_testdriver({"close", "Schlie\xDF" "en", "gone", "Schlie\xDF" "en"}, kRunTimeoutMs, output_);
  EXPECT_EQ(r.exit_code, 0u) << err();
  ASSERT_TRUE(box.wait(10000));
  EXPECT_EQ(box.exit_code(), static_cast<DWORD>(IDCANCEL));
}

TEST_F(Cli, OnlyWindowsOfTheGivenProcess) {
  Process box = start_show_box({"box", "Frage", "text"});
  // Visible first, so that the wrong process's run can only miss it by its pid.
  ASSERT_EQ(run_testdriver({"--pid", std::to_string(box.pid()), "box", "Frage"}, kRunTimeoutMs, output_).exit_code, 0u)
      << err();
  const auto wrong = run_testdriver({"--timeout", "300", "--pid", std::to_string(GetCurrentProcessId()), "box",
                                     "Frage"}, kRunTimeoutMs, output_);
  EXPECT_EQ(wrong.exit_code, static_cast<DWORD>(driver::kExitTimeout));
  EXPECT_TRUE(has(err(), "testdriver: visible: \"Frage\"")) << err();
  const auto right = run_testdriver({"--pid", std::to_string(box.pid()), "box", "Frage", "press", "OK"},
                                    kRunTimeoutMs, output_);
  EXPECT_EQ(right.exit_code, 0u) << err();
}

// A program that must show nothing: any visible window fails the step, one
// that ends without showing any passes it.
TEST_F(Cli, WatchWindowsReportsAnyWindowOfTheProcess) {
  Process quiet = start_show_box({"--delay", "300", "exit", "0"});
  EXPECT_EQ(run_testdriver({"--pid", std::to_string(quiet.pid()), "watch-windows", "10000"}, kRunTimeoutMs, output_)
                .exit_code,
            0u)
      << err();
  Process box = start_show_box({"box", "Frage", "text"});
  const auto r = run_testdriver({"--pid", std::to_string(box.pid()), "watch-windows", "1000"}, kRunTimeoutMs, output_);
  EXPECT_EQ(r.exit_code, static_cast<DWORD>(driver::kExitFailed));
  EXPECT_TRUE(has(err(), "\"#32770\" \"Frage\" of process " + std::to_string(box.pid()))) << err();
}

TEST_F(Cli, FillsInADialog) {
  driver::StartOptions box_output{dir_ / "box.txt", dir_ / "box.txt"};
  Process dialog = start_show_box({"dialog"}, box_output);
  const std::string c = "Driver test dialog";
  const auto r = run_testdriver(
      {"--log", log_path_,
       "expect-item", c, std::to_string(IDC_NAME), "C:\\\\Spiele",
       "settext", c, std::to_string(IDC_NAME), "D:\\\\Spiele f\xFCr Dich",
       "check", c, std::to_string(IDC_OPTION), "1",
       "check", c, std::to_string(IDC_THREE), "2",
       "expect-check", c, std::to_string(IDC_THREE), "2",
       "select", c, std::to_string(IDC_LANGUAGE), "Deutsch",
       "expect-item", c, std::to_string(IDC_STATUS), "selected Deutsch",
       "click", c, std::to_string(IDC_NESTED),
       "box", "Nested", "press", "Yes",
       "expect-item", c, std::to_string(IDC_ANSWER), "answer 6",
       "box", c, "press", "OK"},
      kRunTimeoutMs, output_);
  EXPECT_EQ(r.exit_code, 0u) << err() << log();
  ASSERT_TRUE(dialog.wait(10000));
  EXPECT_EQ(dialog.exit_code(), static_cast<DWORD>(IDOK));
  EXPECT_EQ(read_file(dir_ / "box.txt"),
            "name=D:\\Spiele f\xFCr Dich\r\noption=1\r\nthree=2\r\nlanguage=Deutsch\r\n");
}

TEST_F(Cli, AFailedExpectationOnADialogNamesTheControl) {
  Process dialog = start_show_box({"dialog"});
  const auto r = run_testdriver({"expect-check", "Driver test dialog", std::to_string(IDC_OPTION), "1"},
                                kRunTimeoutMs, output_);
  EXPECT_EQ(r.exit_code, static_cast<DWORD>(driver::kExitFailed));
  EXPECT_TRUE(has(err(), "control 202 is in state 0, expected 1")) << err();
}

}  // namespace
