// Finding, reading and answering message boxes of another process.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tests/driver/driver.h"
#include "tests/driver/tests/helpers.h"
#include "tests/support/win_fs.h"

namespace {

using driver::Dialog;
using driver::Driver;
using driver::Process;
using driver_test::start_show_box;

std::vector<int> button_ids(const Dialog& d) {
  std::vector<int> ids;
  for (const auto& b : d.buttons) ids.push_back(b.id);
  std::sort(ids.begin(), ids.end());
  return ids;
}

bool log_has(Driver& d, const std::string& part) { return d.log().text().find(part) != std::string::npos; }

// A box of show_box.exe and a driver that watches only that process.
struct BoxRun {
  BoxRun(std::initializer_list<std::string> args) : process(start_show_box(args)) {
    driver.set_process(process.pid());
    driver.set_timeout(10000);
  }
  Process process;
  Driver driver;
};

TEST(MessageBox, ReadsCaptionMessageBytesAndButtons) {
  BoxRun run({"box", "Best\xE4tigung", "Daten f\xFCr Sie:\\r\\nzweite Zeile \\x80 \xA7", "yesnocancel"});
  ASSERT_TRUE(run.process.started());
  const auto box = run.driver.wait_dialog("Best\xE4tigung");
  ASSERT_TRUE(box) << run.driver.log().text();
  EXPECT_EQ(box->pid, run.process.pid());
  EXPECT_EQ(box->caption, "Best\xE4tigung");
  ASSERT_TRUE(box->has_message);
  EXPECT_EQ(box->message, "Daten f\xFCr Sie:\r\nzweite Zeile \x80 \xA7");
  EXPECT_EQ(button_ids(*box), (std::vector<int>{IDCANCEL, IDYES, IDNO}));
  for (const auto& b : box->buttons) {
    EXPECT_FALSE(b.text.empty()) << b.id;
    EXPECT_TRUE(b.enabled) << b.id;
  }
  // The log shows the box as a test would want to read it.
  EXPECT_TRUE(log_has(run.driver, "found \"Best\xE4tigung\"")) << run.driver.log().text();
  EXPECT_TRUE(log_has(run.driver, "message \"Daten f\xFCr Sie:\\r\\nzweite Zeile \x80 \xA7\"")) << run.driver.log().text();
  EXPECT_TRUE(log_has(run.driver, "buttons ")) << run.driver.log().text();

  ASSERT_TRUE(run.driver.press(*box, IDNO)) << run.driver.log().text();
  ASSERT_TRUE(run.process.wait(10000));
  EXPECT_EQ(run.process.exit_code(), static_cast<DWORD>(IDNO));
  std::printf("[ info     ] message box buttons:");
  for (const auto& b : box->buttons) std::printf(" %d \"%s\"", b.id, driver::escape(b.text).c_str());
  std::printf("\n");
}

struct BoxType {
  const char* name;
  std::vector<int> buttons;  // sorted
};

TEST(MessageBox, EveryButtonOfEveryTypeEndsTheBoxWithItsId) {
  const BoxType types[] = {
      {"ok", {IDOK}},
      {"okcancel", {IDOK, IDCANCEL}},
      {"abortretryignore", {IDABORT, IDRETRY, IDIGNORE}},
      {"yesnocancel", {IDCANCEL, IDYES, IDNO}},
      {"yesno", {IDYES, IDNO}},
      {"retrycancel", {IDCANCEL, IDRETRY}},
  };
  for (const BoxType& type : types) {
    for (const int id : type.buttons) {
      SCOPED_TRACE(std::string(type.name) + " pressing " + driver::button_name(id));
      BoxRun run({"box", std::string("Type ") + type.name, "Press a button", type.name});
      const auto box = run.driver.wait_dialog(std::string("Type ") + type.name);
      ASSERT_TRUE(box) << run.driver.log().text();
      EXPECT_EQ(button_ids(*box), type.buttons);
      ASSERT_TRUE(run.driver.press(*box, id)) << run.driver.log().text();
      ASSERT_TRUE(run.process.wait(10000));
      EXPECT_EQ(run.process.exit_code(), static_cast<DWORD>(id));
    }
  }
}

TEST(MessageBox, PressingAButtonTheBoxLacksFailsAndLeavesItOpen) {
  BoxRun run({"box", "Only OK", "text"});
  const auto box = run.driver.wait_dialog("Only OK");
  ASSERT_TRUE(box) << run.driver.log().text();
  EXPECT_FALSE(run.driver.press(*box, IDYES));
  EXPECT_TRUE(log_has(run.driver, "no such button")) << run.driver.log().text();
  EXPECT_TRUE(run.process.running());
  EXPECT_TRUE(driver::is_visible_dialog(box->hwnd));
  ASSERT_TRUE(run.driver.press(*box, IDOK));
  ASSERT_TRUE(run.process.wait(10000));
  EXPECT_EQ(run.process.exit_code(), static_cast<DWORD>(IDOK));
}

TEST(MessageBox, CloseAnswersAnOkBox) {
  BoxRun run({"box", "Closable", "text", "okcancel"});
  const auto box = run.driver.wait_dialog("Closable");
  ASSERT_TRUE(box) << run.driver.log().text();
  ASSERT_TRUE(run.driver.close(box->hwnd)) << run.driver.log().text();
  ASSERT_TRUE(run.process.wait(10000));
  EXPECT_EQ(run.process.exit_code(), static_cast<DWORD>(IDCANCEL));
}

TEST(WaitDialog, GivesUpAfterTheTimeoutAndSaysWhatWasThere) {
  BoxRun run({"box", "Something else", "text"});
  ASSERT_TRUE(run.driver.wait_dialog("Something else"));
  const DWORD start = GetTickCount();
  EXPECT_FALSE(run.driver.wait_dialog("No such box", 300));
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 290u);
  EXPECT_LT(elapsed, 5000u);  // no hang
  EXPECT_TRUE(log_has(run.driver, "timeout: no dialog \"No such box\" within 300 ms")) << run.driver.log().text();
  EXPECT_TRUE(log_has(run.driver, "visible instead: \"Something else\"")) << run.driver.log().text();
}

TEST(WaitDialog, MatchesTheWholeCaptionExactly) {
  BoxRun run({"box", "Install complete", "text"});
  ASSERT_TRUE(run.driver.wait_dialog("Install complete"));
  EXPECT_FALSE(run.driver.wait_dialog("Install", 200));
  EXPECT_FALSE(run.driver.wait_dialog("install complete", 200));
  EXPECT_FALSE(run.driver.wait_dialog("Install complete ", 200));
}

TEST(WaitDialog, OnlyCountsWindowsOfTheChosenProcess) {
  BoxRun run({"box", "Whose box", "text"});
  ASSERT_TRUE(run.driver.wait_dialog("Whose box"));
  run.driver.set_process(GetCurrentProcessId());
  EXPECT_FALSE(run.driver.wait_dialog("Whose box", 200));
  run.driver.set_process(0);
  const auto any = run.driver.wait_dialog("Whose box", 200);
  ASSERT_TRUE(any);
  EXPECT_EQ(any->pid, run.process.pid());
}

TEST(WaitDialog, WaitsForABoxThatComesLater) {
  const DWORD start = GetTickCount();
  BoxRun run({"--delay", "700", "box", "Later", "text"});
  const auto box = run.driver.wait_dialog("Later");
  ASSERT_TRUE(box) << run.driver.log().text();
  EXPECT_GE(GetTickCount() - start, 650u);
  ASSERT_TRUE(run.driver.press(*box, IDOK));
}

TEST(WaitDialog, AHiddenDialogCountsOnlyOnceShown) {
  HWND hidden = CreateWindowExA(0, driver::kDialogClass, "Not yet shown", WS_POPUP | WS_CAPTION, 10, 10, 200, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(hidden);
  Driver d;
  d.set_process(GetCurrentProcessId());
  EXPECT_FALSE(d.wait_dialog("Not yet shown", 200));
  ShowWindow(hidden, SW_SHOWNOACTIVATE);
  const auto found = d.wait_dialog("Not yet shown", 1000);
  ASSERT_TRUE(found) << d.log().text();
  EXPECT_EQ(found->hwnd, hidden);
  EXPECT_FALSE(found->has_message);
  EXPECT_TRUE(found->buttons.empty());
  DestroyWindow(hidden);
  EXPECT_TRUE(d.wait_gone(hidden));
}

TEST(WaitForExit, AProcessThatShowsNothing) {
  Process p = start_show_box({"--delay", "200", "exit", "3"});
  Driver d;
  const driver::ExitWatch watch = d.wait_for_exit(p, 10000);
  EXPECT_TRUE(watch.exited) << d.log().text();
  EXPECT_EQ(watch.exit_code, 3u);
  EXPECT_TRUE(watch.dialogs.empty());
}

TEST(WaitForExit, ReportsEachDialogOnceAndLetsTheCallerAnswerIt) {
  Process p = start_show_box({"box", "Unexpected", "Oops\\r\\nwhat now?", "retrycancel"});
  Driver d;
  int calls = 0;
  const driver::ExitWatch watch = d.wait_for_exit(p, 10000, [&](const Dialog& box) {
    ++calls;
    EXPECT_EQ(box.message, "Oops\r\nwhat now?");
    d.press(box, IDRETRY);
  });
  EXPECT_TRUE(watch.exited) << d.log().text();
  EXPECT_EQ(watch.exit_code, static_cast<DWORD>(IDRETRY));
  ASSERT_EQ(watch.dialogs.size(), 1u);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(watch.dialogs[0].caption, "Unexpected");
  EXPECT_TRUE(log_has(d, "seen while waiting for exit: \"Unexpected\"")) << d.log().text();
}

TEST(WaitForExit, TimesOutWhileABoxWaitsForAnAnswer) {
  Process p = start_show_box({"box", "Nobody answers", "text"});
  Driver d;
  const DWORD start = GetTickCount();
  const driver::ExitWatch watch = d.wait_for_exit(p, 600);
  EXPECT_FALSE(watch.exited);
  EXPECT_LT(GetTickCount() - start, 5000u);
  ASSERT_EQ(watch.dialogs.size(), 1u);
  EXPECT_EQ(watch.dialogs[0].caption, "Nobody answers");
  EXPECT_TRUE(log_has(d, "still running after 600 ms")) << d.log().text();
}

// Not a check: prints how long after its creation a box is found.
TEST(Latency, HowSoonABoxIsFound) {
  TempDir dir;
  std::vector<double> after_create;
  std::vector<double> after_activate;
  std::vector<double> after_start;
  for (int i = 0; i < 10; ++i) {
    const std::string stamp = dir / ("stamp" + std::to_string(i) + ".txt");
    const LONGLONG started = driver_test::qpc_now();
    BoxRun run({"--stamp", stamp, "box", "Timed", "text"});
    const auto box = run.driver.wait_dialog("Timed");
    const LONGLONG found = driver_test::qpc_now();
    ASSERT_TRUE(box) << run.driver.log().text();
    ASSERT_TRUE(run.driver.press(*box, IDOK));
    ASSERT_TRUE(run.process.wait(10000));
    const auto stamps = read_file(stamp);
    ASSERT_TRUE(stamps);
    long long created = 0, activated = 0, frequency = 0;
    ASSERT_EQ(std::sscanf(stamps->c_str(), "%lld %lld %lld", &created, &activated, &frequency), 3);
    after_create.push_back(driver_test::qpc_ms(created, found));
    after_activate.push_back(driver_test::qpc_ms(activated, found));
    after_start.push_back(driver_test::qpc_ms(started, found));
  }
  const auto report = [](const char* what, std::vector<double>& ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("[ info     ] box found %s: min %.0f, median %.0f, max %.0f ms\n", what, ms.front(),
                ms[ms.size() / 2], ms.back());
  };
  report("after its creation", after_create);
  report("after its activation", after_activate);
  report("after the process start", after_start);
}

}  // namespace
