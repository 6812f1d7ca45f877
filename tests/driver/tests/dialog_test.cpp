// Filling in and answering a dialog of another process (show_box's dialog).

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/driver/driver.h"
#include "tests/driver/tests/helpers.h"
#include "tests/driver/tests/show_box_ids.h"
#include "tests/support/win_fs.h"

namespace {

using driver::Dialog;
using driver::Driver;
using driver::Process;

constexpr char kCaption[] = "Driver test dialog";

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    process_ = driver_test::start_show_box({"dialog"}, output_);
    ASSERT_TRUE(process_.started());
    d_.set_process(process_.pid());
    auto found = d_.wait_dialog(kCaption);
    ASSERT_TRUE(found) << d_.log().text();
    dialog_ = *found;
  }

  // The controls' state as show_box prints it on OK.
  std::string finish_with_ok() {
    EXPECT_TRUE(d_.press(dialog_, IDOK)) << d_.log().text();
    EXPECT_TRUE(process_.wait(10000));
    EXPECT_EQ(process_.exit_code(), static_cast<DWORD>(IDOK));
    std::string text = read_file(output_.stdout_path).value_or("");
    std::string plain;
    for (const char c : text) {
      if (c != '\r') plain += c;
    }
    return plain;
  }

  TempDir dir_;
  driver::StartOptions output_{dir_ / "out.txt", dir_ / "out.txt"};
  Process process_;
  Driver d_;
  Dialog dialog_;
};

TEST_F(DialogTest, ReadsWhatItFound) {
  EXPECT_EQ(dialog_.caption, kCaption);
  // A label without an id has id 65535 too, so it counts as the message.
  EXPECT_TRUE(dialog_.has_message);
  EXPECT_EQ(dialog_.message, "Name:");
  ASSERT_NE(dialog_.button(IDOK), nullptr);
  ASSERT_NE(dialog_.button(IDC_LOCKED), nullptr);
  EXPECT_FALSE(dialog_.button(IDC_LOCKED)->enabled);
  EXPECT_EQ(dialog_.button(IDC_OPTION), nullptr);  // check boxes are not push buttons
  EXPECT_EQ(d_.text(dialog_.hwnd, IDC_NAME), "C:\\Spiele");
  EXPECT_EQ(d_.check_state(dialog_.hwnd, IDC_OPTION), BST_UNCHECKED);
}

TEST_F(DialogTest, FillsInEveryKindOfControl) {
  HWND w = dialog_.hwnd;
  ASSERT_TRUE(d_.set_text(w, IDC_NAME, "D:\\Spiele f\xFCr Dich"));
  EXPECT_EQ(d_.text(w, IDC_NAME), "D:\\Spiele f\xFCr Dich");
  ASSERT_TRUE(d_.set_check(w, IDC_OPTION, BST_CHECKED));
  EXPECT_EQ(d_.check_state(w, IDC_OPTION), BST_CHECKED);
  ASSERT_TRUE(d_.set_check(w, IDC_THREE, BST_INDETERMINATE));  // two clicks
  EXPECT_EQ(d_.check_state(w, IDC_THREE), BST_INDETERMINATE);
  ASSERT_TRUE(d_.select(w, IDC_LANGUAGE, "fran\xE7" "ais"));  // case does not matter
  // The dialog heard of the choice as it would of a user's.
  EXPECT_EQ(d_.text(w, IDC_STATUS), "selected Fran\xE7" "ais");
  EXPECT_EQ(d_.text(w, IDC_LANGUAGE), "Fran\xE7" "ais");
  EXPECT_EQ(finish_with_ok(), "name=D:\\Spiele f\xFCr Dich\noption=1\nthree=2\nlanguage=Fran\xE7" "ais\n");
}

TEST_F(DialogTest, TypingIntoAComboBoxNotifiesTheDialog) {
  ASSERT_TRUE(d_.set_text(dialog_.hwnd, IDC_LANGUAGE, "Klingonisch"));
  EXPECT_EQ(d_.text(dialog_.hwnd, IDC_STATUS), "typed Klingonisch");
  std::printf("[ info     ] CBN_EDITCHANGE notifications for one settext: %s\n",
              d_.text(dialog_.hwnd, IDC_EDITS).value_or("?").c_str());
  EXPECT_EQ(finish_with_ok(), "name=C:\\Spiele\noption=0\nthree=0\nlanguage=Klingonisch\n");
}

TEST_F(DialogTest, AClickIsHandledBeforeTheNextReadingOfTheDialog) {
  for (int i = 1; i <= 6; ++i) {
    ASSERT_TRUE(d_.click(dialog_.hwnd, IDC_OPTION));
    EXPECT_EQ(d_.check_state(dialog_.hwnd, IDC_OPTION), i % 2 ? BST_CHECKED : BST_UNCHECKED) << i;
  }
}

TEST_F(DialogTest, RefusesWhatAUserCouldNotDo) {
  HWND w = dialog_.hwnd;
  EXPECT_FALSE(d_.click(w, IDC_LOCKED));  // disabled
  EXPECT_FALSE(d_.click(w, 999));
  EXPECT_FALSE(d_.set_text(w, 999, "x"));
  EXPECT_FALSE(d_.text(w, 999));
  EXPECT_FALSE(d_.check_state(w, 999));
  EXPECT_FALSE(d_.set_check(w, 999, BST_CHECKED));
  EXPECT_FALSE(d_.set_check(w, IDC_OPTION, BST_INDETERMINATE));  // a two-state box never gets there
  EXPECT_FALSE(d_.select(w, IDC_LANGUAGE, "Latein"));
  EXPECT_FALSE(d_.select(w, IDC_LANGUAGE, "Deut"));  // whole entries only
  EXPECT_TRUE(process_.running());
}

TEST_F(DialogTest, AButtonThatOpensABoxDoesNotBlockTheDriver) {
  HWND w = dialog_.hwnd;
  const DWORD start = GetTickCount();
  ASSERT_TRUE(d_.click(w, IDC_NESTED));
  EXPECT_LT(GetTickCount() - start, 2000u);
  auto nested = d_.wait_dialog("Nested");
  ASSERT_TRUE(nested) << d_.log().text();
  EXPECT_EQ(nested->message, "Wirklich fortfahren?");
  ASSERT_TRUE(d_.press(*nested, IDYES));
  EXPECT_EQ(d_.text(w, IDC_ANSWER), "answer 6");

  // What the asynchronous click avoids: a plain send of BM_CLICK does not
  // come back while the nested box is open.
  DWORD_PTR result = 0;
  EXPECT_EQ(SendMessageTimeoutA(GetDlgItem(w, IDC_NESTED), BM_CLICK, 0, 0, SMTO_NORMAL, 1000, &result), 0);
  nested = d_.wait_dialog("Nested");
  ASSERT_TRUE(nested) << d_.log().text();
  ASSERT_TRUE(d_.press(*nested, IDNO));
  EXPECT_EQ(d_.text(w, IDC_ANSWER), "answer 7");
}

TEST_F(DialogTest, CloseUsesTheSystemMenuCommand) {
  ASSERT_TRUE(d_.close(dialog_.hwnd)) << d_.log().text();
  ASSERT_TRUE(process_.wait(10000));
  EXPECT_EQ(process_.exit_code(), static_cast<DWORD>(DRIVER_TEST_CLOSED));
}

TEST_F(DialogTest, EveryActionIsLogged) {
  HWND w = dialog_.hwnd;
  d_.set_text(w, IDC_NAME, "E:\\x");
  d_.click(w, IDC_OPTION);
  d_.select(w, IDC_LANGUAGE, "Deutsch");
  d_.text(w, IDC_NAME);
  d_.check_state(w, IDC_OPTION);
  const std::string log = d_.log().text();
  EXPECT_NE(log.find("found \"Driver test dialog\""), std::string::npos) << log;
  EXPECT_NE(log.find("set text of 201 in \"Driver test dialog\" to \"E:\\\\x\""), std::string::npos) << log;
  EXPECT_NE(log.find("click 202 in \"Driver test dialog\": handled"), std::string::npos) << log;
  EXPECT_NE(log.find("select \"Deutsch\" in 204"), std::string::npos) << log;
  EXPECT_NE(log.find("text of 201 in \"Driver test dialog\": \"E:\\\\x\""), std::string::npos) << log;
  EXPECT_NE(log.find("check state of 202 in \"Driver test dialog\": 1"), std::string::npos) << log;
}

}  // namespace
