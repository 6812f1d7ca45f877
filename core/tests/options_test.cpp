#include "core/options.h"

#include <gtest/gtest.h>

#include "core/settings.h"

namespace {

struct Parsed {
  InstallerSettings s;
  ShellOptions shell;
  explicit Parsed(const std::vector<std::string>& args) { shell = parse_options(s, args); }
};

}  // namespace

TEST(ParseOptions, DefaultsWithoutArguments) {
  Parsed p({});
  const auto& s = p.s;
  EXPECT_EQ(s.language_offset, 0);
  EXPECT_FALSE(s.skip_language_dialog);
  EXPECT_FALSE(s.user_only);
  EXPECT_FALSE(s.desktop_icon);
  EXPECT_TRUE(s.add_remove_entry);
  EXPECT_TRUE(s.start_menu_uninstall);
  EXPECT_TRUE(s.hide_uninstall);
  EXPECT_FALSE(s.game_explorer_legacy);
  EXPECT_FALSE(s.game_explorer_native);
  EXPECT_FALSE(s.no_data_sharing);
  EXPECT_FALSE(s.no_start_menu);
  EXPECT_FALSE(s.no_registry);
  EXPECT_FALSE(s.silent);
  EXPECT_TRUE(s.verify_files);
  EXPECT_FALSE(s.rollback_on_failure);
  EXPECT_FALSE(s.overwrite_all);
  EXPECT_EQ(s.install_dir, "");
  EXPECT_EQ(s.backup_base_dir, "");
}

TEST(ParseOptions, EveryFlagPairSetsItsOwnField) {
  struct Flag {
    char letter;
    bool InstallerSettings::*field;
  };
  const Flag flags[] = {
      {'U', &InstallerSettings::user_only},         {'I', &InstallerSettings::desktop_icon},
      {'C', &InstallerSettings::add_remove_entry},  {'Y', &InstallerSettings::start_menu_uninstall},
      {'H', &InstallerSettings::hide_uninstall},    {'V', &InstallerSettings::game_explorer_legacy},
      {'N', &InstallerSettings::game_explorer_native}, {'S', &InstallerSettings::no_data_sharing},
      {'M', &InstallerSettings::no_start_menu},     {'R', &InstallerSettings::no_registry},
      {'G', &InstallerSettings::silent},            {'F', &InstallerSettings::verify_files},
      {'B', &InstallerSettings::rollback_on_failure}, {'O', &InstallerSettings::overwrite_all},
  };
  for (const auto& flag : flags) {
    const std::string upper = std::string("-") + flag.letter;
    const std::string lower = std::string("-") + static_cast<char>(flag.letter + ('a' - 'A'));
    Parsed on({upper});
    Parsed off({lower});
    EXPECT_TRUE(on.s.*flag.field) << upper;
    EXPECT_FALSE(off.s.*flag.field) << lower;
    // No other flag moves: compare with the defaults.
    Parsed defaults({});
    for (const auto& other : flags) {
      if (other.field == flag.field) continue;
      EXPECT_EQ(on.s.*other.field, defaults.s.*other.field) << upper << " moved " << other.letter;
      EXPECT_EQ(off.s.*other.field, defaults.s.*other.field) << lower << " moved " << other.letter;
    }
  }
}

// -Q is a flag pair like the others, but a quiet run is silent too, whatever
// -G or -g said; -W takes the rest of the argument as the log's path.
TEST(ParseOptions, QuietImpliesSilentAndTheLogTakesTheRest) {
  struct Case {
    std::vector<std::string> args;
    bool quiet;
    bool silent;
    std::string log;
  };
  const Case cases[] = {
      {{}, false, false, ""},
      {{"-Q"}, true, true, ""},
      {{"-Qx"}, true, true, ""},
      {{"-Q", "-q"}, false, false, ""},
      {{"-q", "-Q"}, true, true, ""},
      {{"-Q", "-g"}, true, true, ""},
      {{"-G", "-q"}, false, true, ""},
      {{"-WC:\\logs\\setup log.txt"}, false, false, "C:\\logs\\setup log.txt"},
      {{"-Wa.txt", "-W"}, false, false, ""},
      {{"-Wa.txt", "-wb.txt", "/Wc.txt"}, false, false, "a.txt"},
      {{"-G", "-Q", "-W" + std::string(300, 'x')}, true, true, std::string(300, 'x')},
  };
  const Parsed defaults({});
  for (const Case& c : cases) {
    const Parsed p(c.args);
    const std::string args = c.args.empty() ? "(none)" : c.args.front() + " ... " + c.args.back();
    EXPECT_EQ(p.shell.quiet, c.quiet) << args;
    EXPECT_EQ(p.s.silent, c.silent) << args;
    EXPECT_EQ(p.shell.log_path, c.log) << args;
    // Nothing else moves.
    EXPECT_EQ(p.s.rollback_on_failure, defaults.s.rollback_on_failure) << args;
    EXPECT_EQ(p.s.overwrite_all, defaults.s.overwrite_all) << args;
    EXPECT_EQ(p.s.install_dir, "") << args;
    EXPECT_EQ(p.s.backup_base_dir, "") << args;
    EXPECT_EQ(p.s.language_offset, 0) << args;
  }
}

TEST(ParseOptions, FlagsIgnoreTrailingCharactersAndLaterOptionWins) {
  EXPECT_TRUE(Parsed({"-Gx"}).s.silent);
  EXPECT_FALSE(Parsed({"-G", "-g"}).s.silent);
  EXPECT_TRUE(Parsed({"-g", "-G"}).s.silent);
  EXPECT_FALSE(Parsed({"-c"}).s.add_remove_entry);
  EXPECT_FALSE(Parsed({"-f"}).s.verify_files);
}

TEST(ParseOptions, UnknownArgumentsAreIgnored) {
  Parsed p({"/G", "--G", "-l", "G", "", "-", "-Z", "-1000", "-l1000"});
  Parsed defaults({});
  EXPECT_FALSE(p.s.silent);
  EXPECT_EQ(p.s.language_offset, 0);
  EXPECT_FALSE(p.s.skip_language_dialog);
  EXPECT_EQ(p.s.launch_args, "");
}

TEST(ParseOptions, LanguageNumberForms) {
  struct Case {
    const char* arg;
    int offset;
    bool skip_dialog;
  };
  const Case cases[] = {
      {"-L1000", 1000, true},  {"-L0", 0, true},       {"-L5", 0, true},
      {"-L$3E8", 1000, true},  {"-L$3e8", 1000, true}, {"-L0x3e8", 1000, true},
      {"-L0X3E8", 1000, true}, {"-L 1000", 1000, true}, {"-L\t+1000", 1000, true},
      {"-L-1000", 0, true},    {"-Lx", 0, false},       {"-L", 0, false},
      {"-L1000 ", 0, false},   {"-L10x", 0, false},     {"-L$", 0, false},
      {"-L0x", 0, false},      {"-L+", 0, false},       {"-L99999999999", 0, false},
  };
  for (const auto& c : cases) {
    Parsed p({c.arg});
    EXPECT_EQ(p.s.language_offset, c.offset) << c.arg;
    EXPECT_EQ(p.s.skip_language_dialog, c.skip_dialog) << c.arg;
    EXPECT_EQ(p.s.launch_args, std::string(c.arg).substr(2)) << c.arg;
  }
}

TEST(ParseOptions, LanguageSplitAcrossTwoArgumentsIsInvalid) {
  Parsed p({"-L", "1000"});
  EXPECT_EQ(p.s.language_offset, 0);
  EXPECT_FALSE(p.s.skip_language_dialog);
}

TEST(ParseOptions, InvalidLanguageAfterValidKeepsTheDialogSkipped) {
  // A failed conversion resets the offset but leaves skip_language_dialog.
  Parsed p({"-L1000", "-Lx"});
  EXPECT_EQ(p.s.language_offset, 0);
  EXPECT_TRUE(p.s.skip_language_dialog);
  EXPECT_EQ(p.s.launch_args, "x");
  EXPECT_EQ(Parsed({"-Lx", "-L1000"}).s.language_offset, 1000);
}

TEST(ParseOptions, FoldersTakeTheRestUnchanged) {
  Parsed p({"-PD:\\Games", "-pC:\\Saved Files\\"});
  EXPECT_EQ(p.s.install_dir, "D:\\Games");
  EXPECT_EQ(p.s.backup_base_dir, "C:\\Saved Files\\");
  EXPECT_EQ(Parsed({"-PD:\\Games", "-P"}).s.install_dir, "");
  EXPECT_EQ(Parsed({"-P\"quoted\""}).s.install_dir, "\"quoted\"");
}

TEST(ParseOptions, LanguageTextIsCutAt255CharactersButFoldersStayWhole) {
  const std::string folder(300, 'x');
  Parsed p({"-P" + folder, "-p" + folder, "-L" + std::string(260, '1')});
  // A cut folder would name another one; the path check refuses these.
  EXPECT_EQ(p.s.install_dir, folder);
  EXPECT_EQ(p.s.backup_base_dir, folder);
  EXPECT_EQ(p.s.launch_args.size(), 253u);
  // A number cut to 253 digits is still too big for 32 bits.
  EXPECT_FALSE(p.s.skip_language_dialog);
  // A flag whose argument runs past 255 characters is still recognised.
  EXPECT_TRUE(Parsed({"-G" + folder}).s.silent);
}

TEST(ParseOptions, ResetsEarlierStateButNotLaunchArgs) {
  InstallerSettings s;
  s.start_menu_dir = "left over";
  s.uninstall_menu_dir = "left over";
  s.install_dir = "old";
  s.silent = true;
  s.launch_args = "kept";
  parse_options(s, {});
  EXPECT_EQ(s.start_menu_dir, "");
  EXPECT_EQ(s.uninstall_menu_dir, "");
  EXPECT_EQ(s.install_dir, "");
  EXPECT_FALSE(s.silent);
  EXPECT_EQ(s.launch_args, "kept");
}

TEST(ParseInteger, RangeAndSyntax) {
  EXPECT_EQ(parse_integer("2147483647"), 2147483647);
  EXPECT_EQ(parse_integer("-2147483648"), INT32_MIN);
  EXPECT_FALSE(parse_integer("2147483648"));
  EXPECT_FALSE(parse_integer("-2147483649"));
  EXPECT_EQ(parse_integer("$FFFFFFFF"), -1);
  EXPECT_FALSE(parse_integer("$100000000"));
  EXPECT_EQ(parse_integer("-$10"), -16);
  EXPECT_EQ(parse_integer("  007"), 7);
  EXPECT_FALSE(parse_integer(""));
  EXPECT_FALSE(parse_integer(" "));
  EXPECT_FALSE(parse_integer("1 2"));
  EXPECT_FALSE(parse_integer("--1"));
  EXPECT_FALSE(parse_integer("$G"));
  EXPECT_FALSE(parse_integer("12a"));
}
