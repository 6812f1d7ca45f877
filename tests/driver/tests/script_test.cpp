// The step language of testdriver.exe, parsed without running it.

#include <gtest/gtest.h>

#include "tests/driver/script.h"

namespace {

using driver::parse_script;
using driver::StepKind;

TEST(ButtonNames, StandardNamesAndNumbers) {
  EXPECT_EQ(driver::parse_button("OK"), IDOK);
  EXPECT_EQ(driver::parse_button("cancel"), IDCANCEL);
  EXPECT_EQ(driver::parse_button("Abort"), IDABORT);
  EXPECT_EQ(driver::parse_button("Retry"), IDRETRY);
  EXPECT_EQ(driver::parse_button("Ignore"), IDIGNORE);
  EXPECT_EQ(driver::parse_button("&Yes"), IDYES);  // as the button shows it
  EXPECT_EQ(driver::parse_button("NO"), IDNO);
  EXPECT_EQ(driver::parse_button("307"), 307);
  EXPECT_EQ(driver::parse_button("65535"), 65535);
  EXPECT_FALSE(driver::parse_button("65536"));
  EXPECT_FALSE(driver::parse_button("Okay"));
  EXPECT_FALSE(driver::parse_button(""));
  EXPECT_FALSE(driver::parse_button("-1"));
  EXPECT_EQ(driver::button_name(IDNO), "No");
  EXPECT_EQ(driver::button_name(301), "301");
}

TEST(ParseScript, OptionsThenSteps) {
  const auto r = parse_script({"--timeout", "2500", "--log", "Z:\\tmp\\log.txt", "--pid", "77", "--quiet", "box",
                               "Install complete", "press", "OK"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.script.timeout_ms, 2500u);
  EXPECT_EQ(r.script.log_path, "Z:\\tmp\\log.txt");  // options take no escapes
  EXPECT_EQ(r.script.pid, 77u);
  EXPECT_TRUE(r.script.quiet);
  ASSERT_EQ(r.script.steps.size(), 2u);
  EXPECT_EQ(r.script.steps[0].kind, StepKind::box);
  EXPECT_EQ(r.script.steps[0].caption, "Install complete");
  EXPECT_EQ(r.script.steps[1].kind, StepKind::press);
  EXPECT_EQ(r.script.steps[1].id, IDOK);
}

TEST(ParseScript, DefaultsAndABoxAlone) {
  const auto r = parse_script({"box", "Install complete"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.script.timeout_ms, driver::kDefaultTimeoutMs);
  EXPECT_TRUE(r.script.log_path.empty());
  EXPECT_EQ(r.script.pid, 0u);
  EXPECT_FALSE(r.script.quiet);
}

TEST(ParseScript, EveryStepWithItsArguments) {
  const auto r = parse_script({"box", "Frage", "expect-text", "f\xFCr\\r\\nzwei", "press", "No",
                               "settext", "Pfad", "302", "C:\\\\Spiele", "click", "Pfad", "319",
                               "check", "Pfad", "308", "1", "expect-check", "Pfad", "309", "2",
                               "expect-item", "Pfad", "318", "Spiele\\\\X", "select", "Pfad", "307", "Zubeh\xF6r",
                               "close", "Pfad", "gone", "Pfad", "sleep", "250"});
  ASSERT_TRUE(r.ok) << r.error;
  const auto& s = r.script.steps;
  ASSERT_EQ(s.size(), 12u);
  EXPECT_EQ(s[1].kind, StepKind::expect_text);
  EXPECT_EQ(s[1].text, "f\xFCr\r\nzwei");
  EXPECT_EQ(s[2].id, IDNO);
  EXPECT_EQ(s[3].kind, StepKind::settext);
  EXPECT_EQ(s[3].caption, "Pfad");
  EXPECT_EQ(s[3].id, 302);
  EXPECT_EQ(s[3].text, "C:\\Spiele");
  EXPECT_EQ(s[4].kind, StepKind::click);
  EXPECT_EQ(s[4].id, 319);
  EXPECT_EQ(s[5].kind, StepKind::check);
  EXPECT_EQ(s[5].state, BST_CHECKED);
  EXPECT_EQ(s[6].kind, StepKind::expect_check);
  EXPECT_EQ(s[6].state, BST_INDETERMINATE);
  EXPECT_EQ(s[7].kind, StepKind::expect_item);
  EXPECT_EQ(s[7].text, "Spiele\\X");
  EXPECT_EQ(s[8].kind, StepKind::select);
  EXPECT_EQ(s[8].text, "Zubeh\xF6r");
  EXPECT_EQ(s[9].kind, StepKind::close);
  EXPECT_EQ(s[10].kind, StepKind::gone);
  EXPECT_EQ(s[11].kind, StepKind::sleep);
  EXPECT_EQ(s[11].ms, 250u);
}

TEST(ParseScript, HelpNeedsNoSteps) {
  const auto r = parse_script({"--help"});
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.script.help);
}

struct BadScript {
  std::vector<std::string> args;
  const char* error_part;
};

TEST(ParseScript, RefusesBadScriptsWithAReason) {
  const BadScript cases[] = {
      {{}, "no steps"},
      {{"--timeout", "10000"}, "no steps"},
      {{"--timeout", "ten", "box", "X"}, "--timeout"},
      {{"--timeout"}, "missing value"},
      {{"--pid", "-3", "box", "X"}, "--pid"},
      {{"--verbose", "box", "X"}, "unknown option"},
      {{"bx", "X"}, "unknown step"},
      {{"box"}, "missing arguments"},
      {{"settext", "X", "302"}, "missing arguments"},
      {{"press", "OK"}, "no current window"},
      {{"box", "X", "press", "OK", "press", "OK"}, "no current window"},
      {{"box", "X", "close", "X", "expect-text", "t"}, "no current window"},
      {{"box", "X", "press", "Maybe"}, "unknown button"},
      {{"click", "X", "OK"}, "control id"},
      {{"click", "X", "70000"}, "control id"},
      {{"check", "X", "308", "3"}, "check state"},
      {{"sleep", "1s"}, "milliseconds"},
      {{"settext", "X", "302", "C:\\Games"}, "bad escape"},
      {{"box", "Tab\\q"}, "bad escape"},
  };
  for (const BadScript& c : cases) {
    const auto r = parse_script(c.args);
    std::string joined;
    for (const auto& a : c.args) joined += "[" + a + "]";
    EXPECT_FALSE(r.ok) << joined;
    EXPECT_NE(r.error.find(c.error_part), std::string::npos) << joined << " -> " << r.error;
  }
}

TEST(ParseScript, StepsThatNameAWindowMakeItCurrent) {
  EXPECT_TRUE(parse_script({"click", "Pfad", "319", "press", "OK"}).ok);
  EXPECT_TRUE(parse_script({"select", "Pfad", "307", "X", "expect-text", ""}).ok);
  EXPECT_TRUE(parse_script({"box", "A", "sleep", "10", "press", "OK"}).ok);
  EXPECT_FALSE(parse_script({"gone", "A", "press", "OK"}).ok);
}

}  // namespace
