#include <gtest/gtest.h>

#include "uninstall/uninstall_messages.h"
#include "uninstall/uninstall_options.h"

namespace {

using Args = std::vector<std::string>;

// As the links and the entry start it ("-L 1000 -P <folder>"), as a user
// might ("-L1000", "-G"), and as the copy in the temporary folder is started.
TEST(UninstallOptions, TakesLanguageSilenceAndTheSecondPhase) {
  struct Case {
    Args args;
    std::int32_t language;
    bool silent;
    bool quiet = false;
    std::string log = "";
  };
  const Case cases[] = {
      {{"-L", "1000", "-P", "C:\\ProgramData"}, 1000, false},
      {{"-L1000", "-G"}, 1000, true},
      {{"-L", "0", "-G", "-g"}, 0, false},
      {{"-L", "7"}, 0, false},
      {{"-P", "-G"}, 0, false},  // "-G" is the value of -P here
      {{"-Gx", "/S", "-L"}, 0, true},  // a flag's trailing characters are ignored, as setup.exe ignores them
      // Quiet is silent too, whatever -g says; -W takes the rest of its argument.
      {{"-G", "-Q", "-WC:\\logs\\un install.txt"}, 0, true, true, "C:\\logs\\un install.txt"},
      {{"-Q", "-g"}, 0, true, true},
      {{"-Q", "-q", "-Wa.txt", "-W"}, 0, false, false, ""},
      {{"-Qx", "-P", "-Wa.txt", "-wb.txt"}, 0, true, true, ""},  // "-Wa.txt" is the value of -P
  };
  for (const Case& c : cases) {
    const UninstallOptions o = parse_uninstall_options(c.args);
    EXPECT_EQ(o.language_offset, c.language) << c.args.size();
    EXPECT_EQ(o.silent, c.silent) << c.args.size();
    EXPECT_EQ(o.shell.quiet, c.quiet) << c.args.size();
    EXPECT_EQ(o.shell.log_path, c.log) << c.args.size();
    EXPECT_FALSE(o.second_phase);
    EXPECT_EQ(o.user_arguments, c.args);
  }
  // The copy in the temporary folder gets the log's full path, and -P's
  // value stays what it was.
  EXPECT_EQ(with_log_path({"-P", "-Wx", "-G", "-Wlog.txt", "-L", "1000"}, "C:\\t\\log.txt"),
            (Args{"-P", "-Wx", "-G", "-WC:\\t\\log.txt", "-L", "1000"}));

  const Args user = {"-L", "1000", "-G"};
  const UninstallOptions o = parse_uninstall_options(second_phase_arguments(12, 340, "C:\\Q\\uninst\\u.exe", user));
  EXPECT_TRUE(o.second_phase);
  EXPECT_EQ(o.result_pipe, 12u);
  EXPECT_EQ(o.original_process, 340u);
  EXPECT_EQ(o.original_path, "C:\\Q\\uninst\\u.exe");
  EXPECT_EQ(o.user_arguments, user);
  EXPECT_TRUE(o.silent && o.german());
  EXPECT_FALSE(parse_uninstall_options({"--second-phase", "x", "1", "C:\\u.exe"}).second_phase);
}

TEST(UninstallReport, CountsThenListsWhatStaysEachCutAtTen) {
  UninstallReport r;
  r.outcome.files = 12;
  r.outcome.folders = 3;
  r.outcome.restored = 1;
  for (int i = 0; i < 12; ++i) r.outcome.kept_folders.push_back("C:\\Q\\saves" + std::to_string(i));
  r.outcome.left = {{"C:\\Q\\game.exe", Msg::reason_in_use}, {"C:\\Q\\data.pak", Msg::reason_error, 87}};
  r.refused = {{"FILE:C:\\Windows\\win.ini", Msg::reason_no_record}};
  const std::string english = uninstall_report(false, r);
  EXPECT_EQ(english.rfind("12 files and 3 folders removed, 1 replaced files put back.\r\n\r\n"
                          "These folders stay, as they hold files the installation did not create:\r\n"
                          "  C:\\Q\\saves0\r\n", 0), 0u) << english;
  EXPECT_NE(english.find("  C:\\Q\\saves9\r\n  2 more\r\n\r\nNot removed:\r\n  C:\\Q\\game.exe (in use)"),
            std::string::npos) << english;
  EXPECT_NE(english.find("FILE:C:\\Windows\\win.ini (the line is no record the setup writes)"), std::string::npos);
  EXPECT_NE(english.find("uninstall again."), std::string::npos);
  const std::string german = uninstall_report(true, r);
  EXPECT_NE(german.find("C:\\Q\\game.exe (in Benutzung)"), std::string::npos) << german;
  EXPECT_NE(german.find("(die Zeile ist kein Eintrag des Setups)"), std::string::npos) << german;
  EXPECT_NE(english.find("C:\\Q\\data.pak (error 87)"), std::string::npos) << english;
  EXPECT_NE(german.find("C:\\Q\\data.pak (Fehler 87)"), std::string::npos) << german;
}

}  // namespace
