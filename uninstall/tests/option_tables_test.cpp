// Both programs read their command lines by the one option grammar: the same
// arguments, through setup.exe's and uninstall.exe's tables, give the same
// silence, quiet, language and log, whatever the form.
#include <gtest/gtest.h>

#include "core/options.h"
#include "core/settings.h"
#include "uninstall/uninstall_options.h"

namespace {

using Args = std::vector<std::string>;

struct Expected {
  bool silent;
  bool quiet;
  std::int32_t language;
  std::string log;
};

TEST(OptionTables, BothProgramsReadTheSameArgumentsAlike) {
  struct Case {
    const char* what;
    Args args;
    Expected setup;
    Expected uninstall;  // where the uninstaller's own rules give otherwise
  };
  const Case cases[] = {
      {"flags with trailing characters", {"-Gx", "-Qyes"}, {true, true, 0, ""}, {true, true, 0, ""}},
      {"lower case turns a flag off, the later one wins", {"-G", "-g", "-Q", "-q"}, {false, false, 0, ""},
       {false, false, 0, ""}},
      {"quiet is silent whatever -g says", {"-Q", "-g"}, {true, true, 0, ""}, {true, true, 0, ""}},
      {"a value attached", {"-L1000", "-WC:\\logs\\a b.txt"}, {false, false, 1000, "C:\\logs\\a b.txt"},
       {false, false, 1000, "C:\\logs\\a b.txt"}},
      // The shortcuts start the uninstaller with "-L 1000": only its table
      // takes the next argument for -L; for setup.exe "-L" alone is no number.
      {"a split value", {"-L", "1000"}, {false, false, 0, ""}, {false, false, 1000, ""}},
      {"repeats: the last wins", {"-L1000", "-L0", "-Wa.txt", "-Wb.txt"}, {false, false, 0, "b.txt"},
       {false, false, 0, "b.txt"}},
      {"unknown options and other forms are ignored", {"/G", "--G", "-l1000", "-w", "-", "G", "-Z"},
       {false, false, 0, ""}, {false, false, 0, ""}},
      {"-W's value takes everything after it", {"-W-G"}, {false, false, 0, "-G"}, {false, false, 0, "-G"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InstallerSettings settings;
    const ShellOptions shell = parse_options(settings, c.args);
    EXPECT_EQ(settings.silent, c.setup.silent);
    EXPECT_EQ(shell.quiet, c.setup.quiet);
    EXPECT_EQ(settings.language_offset, c.setup.language);
    EXPECT_EQ(shell.log_path, c.setup.log);
    const UninstallOptions u = parse_uninstall_options(c.args);
    EXPECT_EQ(u.silent, c.uninstall.silent);
    EXPECT_EQ(u.shell.quiet, c.uninstall.quiet);
    EXPECT_EQ(u.language_offset, c.uninstall.language);
    EXPECT_EQ(u.shell.log_path, c.uninstall.log);
  }
}

// The grammar alone: which arguments are options, and what they give.
TEST(OptionGrammar, ReadsFlagsValuesAndNextArgumentValues) {
  const std::vector<OptionRule> rules = {{'G', OptionKind::flag}, {'P', OptionKind::value},
                                         {'L', OptionKind::value_or_next}, {'p', OptionKind::value}};
  const std::vector<OptionUse> uses =
      read_options({"-g", "-PD:\\Games", "-pC:\\bk", "-L", "-G", "-Gx", "-L7", "-P", "x"}, rules);
  ASSERT_EQ(uses.size(), 7u);
  EXPECT_EQ(uses[0].letter, 'G');
  EXPECT_FALSE(uses[0].on);
  EXPECT_EQ(uses[1].value, "D:\\Games");
  EXPECT_EQ(uses[2].letter, 'p');
  EXPECT_EQ(uses[3].value, "-G");  // the next argument is -L's value
  EXPECT_TRUE(uses[4].on);
  EXPECT_EQ(uses[5].value, "7");
  EXPECT_EQ(uses[6].value, "");    // -P takes only what is attached; "x" is no option
}

}  // namespace
