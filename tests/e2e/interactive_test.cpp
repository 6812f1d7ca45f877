// Interactive installations, clicked through as a user would: the language
// dialog, the path dialog with its captions, defaults, preview, locks and
// refusals, the folder browser, and the installation that follows.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

#include "e2e_paths.h"
#include "setup_run.h"
#include "tests/e2e/install_check.h"
#include "tests/support/win_fs.h"
#include "ui/tests/expected_tables.h"

namespace {

using driver::Dialog;

constexpr DWORD exit_user_left = 3;
constexpr const char* pending_key = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* pending_value = "PendingFileRenameOperations";

std::string special_folder(int csidl) {
  char path[MAX_PATH] = {};
  return SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK ? path : "";
}

// The message boxes of the path dialog, English and German.
struct Refusal {
  const char* english;
  const char* german;
  std::vector<int> buttons;
};
const Refusal m1 = {
    "Installer has detected some inconsisteny between it's internal settings\r\n"
    "and the settings displayed to you. I'd recommend to cancel the installation.\r\n"
    "Anyway, feel free to choose ok, if you know what you're doing...",
    "", {IDOK, IDCANCEL}};
const Refusal m2 = {
    "The install-path you selected is currently marked for deletio on reboot,\r\n"
    "so can't yet be used for installation. Select another path\r\n"
    "or reboot you computer before installation.",
    "", {IDOK}};
const Refusal m3 = {
    "The startmenu-path you selected is currently marked for deletio on reboot,\r\n"
    "so can't yet be used for installation. Select another path\r\n"
    "or reboot you computer before installation.",
    "", {IDOK}};
const Refusal m4 = {
    "Can't install, because the selected startmenu-entries already exist, while the install-folder doesn't.",
    "", {IDRETRY, IDCANCEL}};
const Refusal m5 = {
    "The selected startmenu-entries and destination folder already exist. If you're really sure the program is "
    "already installed only on your machine, feel free to choose OK, else you should CANCEL to select another "
    "position for the startmenu-entries.",
    "", {IDOK, IDCANCEL}};
const Refusal m6 = {
    "We don't have write-permission or some other similar problem keeps us from using the install-paths.",
    "Mangels Schreibberechtigung (oder durch andere, unbekannten Ursachen) kann der Installationspfad nicht "
    "benutzt werden.",
    {IDOK}};

class Interactive : public ::testing::Test {
 protected:
  void start(const std::vector<std::string>& args = {}) {
    std::string command = driver::quote_arg(e2e_program("e2e_setup"));
    for (const std::string& a : args) command += " " + driver::quote_arg(a);
    process_ = driver::Process::start(command);
    ASSERT_TRUE(process_.started());
    d_.set_process(process_.pid());
  }
  HWND wait(const char* caption) {
    const auto found = d_.wait_dialog(caption);
    EXPECT_TRUE(found) << d_.log().text();
    return found ? found->hwnd : nullptr;
  }
  std::string text(int id) { return d_.text(w_, id).value_or("<none>"); }
  int check(int id) { return d_.check_state(w_, id).value_or(-1); }
  void click(int id) { EXPECT_TRUE(d_.click(w_, id)) << id; }
  void set(int id, const std::string& t) { EXPECT_TRUE(d_.set_text(w_, id, t)) << id; }

  // The preview follows the fields on the dialog's next messages: poke it
  // until it shows the text (or give up after 3 s).
  std::string preview_after_refresh(const std::string& expected) {
    std::string now;
    for (int i = 0; i < 60; ++i) {
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(w_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
      now = text(318);
      if (now == expected) break;
      driver::pump_for(50);
    }
    return now;
  }

  // Presses OK, expects the refusal with its text and buttons, answers it
  // and checks that the dialog stays open.
  void expect_refusal(const Refusal& r, bool german, int answer, const char* what) {
    SCOPED_TRACE(what);
    click(320);
    const auto box = d_.wait_dialog(product_folder);
    ASSERT_TRUE(box) << d_.log().text();
    EXPECT_EQ(box->message, german ? r.german : r.english);
    std::vector<int> ids;
    for (const driver::Button& b : box->buttons) ids.push_back(b.id);
    EXPECT_EQ(ids, r.buttons);
    EXPECT_TRUE(d_.press(*box, answer));
    EXPECT_TRUE(driver::is_visible_dialog(w_)) << "the dialog closed after a refusal";
  }

  // Waits for the report, answers it and for the end of the program.
  driver::ExitWatch finish() {
    // Each box gets its first button: OK, or Yes in the clean-up question.
    return d_.wait_for_exit(process_, 60000, [this](const Dialog& box) {
      d_.press(box, box.buttons.empty() ? IDOK : box.buttons.front().id);
    });
  }

  // The operations queued for the next reboot (a persistent Wine server
  // keeps them: only a starting one carries them out).
  void set_pending(const std::string& names) {
    const std::string data = names + std::string(2, '\0');
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, pending_key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), 0);
    EXPECT_EQ(RegSetValueExA(key, pending_value, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())), 0);
    RegCloseKey(key);
  }
  void clear_pending() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, pending_key, 0, KEY_SET_VALUE, &key) != 0) return;
    RegDeleteValueA(key, pending_value);
    RegCloseKey(key);
  }

  TempDir target_;
  driver::Process process_;
  driver::Driver d_;
  HWND w_ = nullptr;
};

TEST_F(Interactive, LeavingTheLanguageDialogInstallsNothing) {
  for (const bool exit_button : {true, false}) {
    start();
    const auto language = d_.wait_dialog(language_dialog_caption);
    ASSERT_TRUE(language) << d_.log().text();
    ASSERT_TRUE(language->button(295) && language->button(296) && language->button(298));
    if (exit_button) {
      ASSERT_TRUE(d_.press(*language, 298));
    } else {
      ASSERT_TRUE(d_.close(language->hwnd));
    }
    const driver::ExitWatch end = d_.wait_for_exit(process_, 10000);
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.exit_code, exit_user_left);
    EXPECT_TRUE(end.dialogs.empty()) << d_.log().text();
  }
  // The path dialog's close button too.
  start({"-L0"});
  w_ = wait(path_dialog_caption);
  ASSERT_TRUE(d_.close(w_));
  const driver::ExitWatch end = d_.wait_for_exit(process_, 10000);
  EXPECT_EQ(end.exit_code, exit_user_left);
  EXPECT_TRUE(end.dialogs.empty()) << d_.log().text();
}

TEST_F(Interactive, EnglishPathDialogCaptionsPreviewLocksRefusalsAndInstall) {
  const std::string user_menu = special_folder(CSIDL_STARTMENU);
  const std::string common_menu = special_folder(CSIDL_COMMON_STARTMENU);
  ASSERT_FALSE(user_menu.empty());
  ASSERT_FALSE(common_menu.empty());
  // "Games" in the user's menu only; a longer name beginning with it in the
  // all-users menu, which is read first.
  CreateDirectoryA((common_menu + "\\Gamesplus").c_str(), nullptr);
  CreateDirectoryA((user_menu + "\\Games").c_str(), nullptr);
  const std::string menu_folder = user_menu + "\\Games\\" + product_folder;
  const std::string installed = target_ / product_folder;

  start();
  const auto language = d_.wait_dialog(language_dialog_caption);
  ASSERT_TRUE(language) << d_.log().text();
  ASSERT_TRUE(d_.click(language->hwnd, 295));
  w_ = wait(path_dialog_caption);
  ASSERT_TRUE(w_);

  for (const expected::Caption& c : expected::captions()) EXPECT_EQ(text(c.control), c.english) << c.control;
  EXPECT_EQ(text(302), special_folder(CSIDL_PROGRAM_FILES) + "\\");
  EXPECT_EQ(text(304), product_folder);
  EXPECT_EQ(text(307), "Programs");
  EXPECT_EQ(preview_after_refresh("Start/Programs/Quasarine_II"), "Start/Programs/Quasarine_II");

  // Both start menus' folders, each once, sorted, after an empty entry.
  const auto items = driver::combo_items(w_, 307);
  ASSERT_TRUE(items);
  EXPECT_EQ(items->front(), "");
  for (const char* name : {"Games", "Gamesplus", "Programs"}) {
    EXPECT_EQ(std::count(items->begin(), items->end(), std::string(name)), 1)
        << name << " in " << ::testing::PrintToString(*items);
  }
  EXPECT_TRUE(std::is_sorted(items->begin(), items->end(),
                             [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; }));

  // The preview follows the combo box and the folder name; an empty name
  // shows the product folder.
  ASSERT_TRUE(d_.select(w_, 307, "Games"));
  EXPECT_EQ(preview_after_refresh("Start/Games/Quasarine_II"), "Start/Games/Quasarine_II");
  set(304, "Other");
  EXPECT_EQ(preview_after_refresh("Start/Games/Other"), "Start/Games/Other");
  set(304, "");
  EXPECT_EQ(preview_after_refresh("Start/Games/Quasarine_II"), "Start/Games/Quasarine_II");
  expect_refusal(m6, false, IDOK, "empty folder name");
  EXPECT_EQ(text(304), "");
  set(304, product_folder);

  // Administrator table: 317 locks 311 off and gives it back.
  EXPECT_EQ(check(311), BST_CHECKED);
  click(317);
  EXPECT_EQ(check(317), BST_CHECKED);
  EXPECT_EQ(check(311), BST_UNCHECKED);
  click(311);  // locked: undone
  EXPECT_EQ(check(311), BST_UNCHECKED);
  click(317);
  EXPECT_EQ(check(317), BST_UNCHECKED);
  EXPECT_EQ(check(311), BST_CHECKED);
  // 316 locks 310, 313, 314 off; 313 and 314 stay off after it.
  click(316);
  EXPECT_EQ(check(310), BST_UNCHECKED);
  click(310);
  EXPECT_EQ(check(310), BST_UNCHECKED);
  click(316);
  EXPECT_EQ(check(310), BST_CHECKED);
  click(313);
  EXPECT_EQ(check(313), BST_UNCHECKED);
  // 315 locks 308 on.
  click(315);
  EXPECT_EQ(check(308), BST_CHECKED);
  click(315);
  EXPECT_EQ(check(308), BST_UNCHECKED);

  // Reset to Defaults: fields and boxes, not the combo box.
  set(302, "D:\\elsewhere");
  set(304, "x");
  click(309);
  EXPECT_EQ(check(309), BST_CHECKED);
  click(319);
  EXPECT_EQ(text(302), special_folder(CSIDL_PROGRAM_FILES) + "\\");
  EXPECT_EQ(text(304), product_folder);
  EXPECT_EQ(check(309), BST_UNCHECKED);
  EXPECT_EQ(text(307), "Games");

  // The refusals, each leaving the dialog open.
  set(302, target_.path());
  ASSERT_TRUE(driver::set_button_type(w_, 312, BS_PUSHBUTTON));  // on in the model, shown off
  expect_refusal(m1, false, IDCANCEL, "a box that differs from the model");
  ASSERT_TRUE(driver::set_button_type(w_, 312, BS_AUTO3STATE));

  set_pending("\\??\\" + installed + "\\old.dll");
  expect_refusal(m2, false, IDOK, "pending operation in the installation folder");
  set_pending("\\??\\" + menu_folder + "\\old.lnk");
  expect_refusal(m3, false, IDOK, "pending operation in the start-menu folder");
  clear_pending();

  ASSERT_TRUE(CreateDirectoryA(menu_folder.c_str(), nullptr));
  expect_refusal(m4, false, IDCANCEL, "start-menu folder without installation folder");
  ASSERT_TRUE(CreateDirectoryA(installed.c_str(), nullptr));
  expect_refusal(m5, false, IDCANCEL, "both exist");
  RemoveDirectoryA(installed.c_str());
  RemoveDirectoryA(menu_folder.c_str());

  set(302, "Games\\here");
  expect_refusal(m6, false, IDOK, "relative folder");
  set(302, "C:");
  expect_refusal(m6, false, IDOK, "a drive's current folder");
  // The installation folder fits, and so would the write probe's file; the
  // payload's longest entry does not. Refused before the probe makes it.
  const std::string deep = target_.path() + "\\" + std::string(212 - target_.path().size() - 1, 'd');
  set(302, deep);
  expect_refusal(m6, false, IDOK, "too deep for the payload");
  EXPECT_TRUE(list_tree(target_.path()).empty());

  // "/" counts as "\": the files land in the chosen folder.
  std::string forward = target_.path();
  std::replace(forward.begin(), forward.end(), '\\', '/');
  set(302, forward + "/");
  click(320);
  const driver::ExitWatch end = finish();
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.exit_code, 0u) << d_.log().text();
  ASSERT_FALSE(end.dialogs.empty());
  EXPECT_EQ(end.dialogs.back().caption, "Install complete");
  EXPECT_TRUE(file_exists(installed + "\\exebin\\quasarine2.exe"));
  EXPECT_TRUE(file_exists(installed + "\\uninst\\log_inst.dat"));

  clear_pending();
  RemoveDirectoryA((common_menu + "\\Gamesplus").c_str());
  RemoveDirectoryA((user_menu + "\\Games").c_str());
}

// The progress window of this process, if one is shown.
HWND progress_window(DWORD pid) {
  HWND found = FindWindowExA(nullptr, nullptr, "SetupProgress", nullptr);
  for (; found; found = FindWindowExA(nullptr, found, "SetupProgress", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(found, &owner);
    if (owner == pid && IsWindowVisible(found)) return found;
  }
  return nullptr;
}

TEST_F(Interactive, GermanPathDialogBrowsesAndInstallsWithProgress) {
  // An older uninstaller is there: the question comes while the files are written.
  const std::string installed = target_ / "chosen\\Quasarine_II";
  ASSERT_TRUE(CreateDirectoryA((target_ / "chosen").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(installed.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((installed + "\\uninst").c_str(), nullptr));
  ASSERT_TRUE(write_file(installed + "\\uninst\\uninstall.exe", "older"));
  start({"-p" + (target_ / "saved")});
  const auto language = d_.wait_dialog(language_dialog_caption);
  ASSERT_TRUE(language) << d_.log().text();
  ASSERT_TRUE(d_.click(language->hwnd, 296));
  w_ = wait(path_dialog_caption);
  ASSERT_TRUE(w_);
  for (const expected::Caption& c : expected::captions()) EXPECT_EQ(text(c.control), c.german) << c.control;

  set(304, "");
  expect_refusal(m6, true, IDOK, "empty folder name, German");
  set(304, product_folder);

  // Browse: a typed file name leaves its folder; Cancel leaves the field.
  set(302, "unchanged");
  click(305);
  HWND browser = wait("PathSelect");
  ASSERT_TRUE(browser);
  ASSERT_TRUE(d_.set_text(browser, 1152, target_ / "chosen\\mine.txt"));
  ASSERT_TRUE(d_.press(driver::read_dialog(browser), IDOK)) << d_.log().text();
  EXPECT_EQ(text(302), target_ / "chosen\\");
  click(305);
  browser = wait("PathSelect");
  ASSERT_TRUE(browser);
  ASSERT_TRUE(d_.press(driver::read_dialog(browser), IDCANCEL));
  EXPECT_EQ(text(302), target_ / "chosen\\");

  EXPECT_EQ(progress_window(process_.pid()), nullptr);
  click(320);
  const auto question = d_.wait_dialog("Install failed");
  ASSERT_TRUE(question) << d_.log().text();
  HWND progress = progress_window(process_.pid());
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(driver::caption_of(progress), "Quasarine II - Installation");
  ASSERT_TRUE(d_.press(*question, IDYES));
  const driver::ExitWatch end = finish();
  EXPECT_EQ(end.exit_code, 0u) << d_.log().text();
  ASSERT_FALSE(end.dialogs.empty());
  EXPECT_EQ(end.dialogs.back().message.rfind("Es wurden ", 0), 0u) << end.dialogs.back().message;
  EXPECT_TRUE(file_exists(installed + "\\exebin\\quasarine2.exe"));
  EXPECT_NE(read_file(installed + "\\uninst\\uninstall.exe"), std::string("older"));
}

}  // namespace
