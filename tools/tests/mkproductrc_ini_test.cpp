// product.ini as mkproductrc reads it, the rules its texts follow, and the
// tool's command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tools/common/cp1252.h"
#include "tools/mkproductrc/ini.h"
#include "tools/mkproductrc/product_rc.h"
#include "tools/mkproductrc/text_rules.h"
#include "tools/tests/product_fixture.h"

using namespace product_test;

// ---- product.ini syntax

TEST(IniTest, ReadsSectionsKeysAndValuesAsWritten) {
  const IniDocument doc = parse_ini(
      "\xEF\xBB\xBF" "early = bird\r\n"
      "; comment\n"
      "  # another = not a key\n"
      "\n"
      "[ English ]\r\n"
      "  key  =  a = b ; c # d \"e\"  \r\n"
      "empty =\n"
      "[German]\n"
      "[English]\n"
      "last=x");
  ASSERT_TRUE(doc.ok()) << doc.error;
  ASSERT_EQ(doc.loose.size(), 1u);
  EXPECT_EQ(doc.loose[0].key, "early");
  ASSERT_EQ(doc.sections.size(), 3u);
  EXPECT_EQ(doc.sections[0].name, "English");
  EXPECT_EQ(doc.sections[0].line, 5);
  ASSERT_EQ(doc.sections[0].entries.size(), 2u);
  EXPECT_EQ(doc.sections[0].entries[0].key, "key");
  EXPECT_EQ(doc.sections[0].entries[0].value, "a = b ; c # d \"e\"");
  EXPECT_EQ(doc.sections[0].entries[0].line, 6);
  EXPECT_EQ(doc.sections[0].entries[1].value, "");
  EXPECT_TRUE(doc.sections[1].entries.empty());
  ASSERT_EQ(doc.sections[2].entries.size(), 1u);
  EXPECT_EQ(doc.sections[2].entries[0].value, "x");
}

TEST(IniTest, NamesTheFirstMalformedLine) {
  EXPECT_EQ(parse_ini("[English]\nok = 1\n[German\n").error, "line 3: a section header is written [name]");
  EXPECT_EQ(parse_ini("[]\n").error, "line 1: a section header is written [name]");
  EXPECT_EQ(parse_ini("\n\njust words\n").error, "line 3: expected [section], key = value or a comment");
  EXPECT_EQ(parse_ini("= value\n").error, "line 1: expected [section], key = value or a comment");
}

// ---- text rules

TEST(TextRulesTest, ProgramTextIsTheWindows1252FormUpToTheLimit) {
  EXPECT_EQ(to_program_text("löschen für 5 € – „gut“", 255).bytes, "l\xF6schen f\xFCr 5 \x80 \x96 \x84gut\x93");

  // The limit counts Windows-1252 bytes, not UTF-8 bytes.
  std::string umlauts;
  for (int i = 0; i < 255; ++i) umlauts += "ü";
  EXPECT_TRUE(to_program_text(umlauts, 255).ok());
  const ProgramText too_long = to_program_text(umlauts + "a", 255);
  EXPECT_EQ(too_long.problem, "is 256 characters long in Windows-1252; at most 255 fit");
  EXPECT_TRUE(too_long.bytes.empty());
}

TEST(TextRulesTest, ProgramTextRefusesWhatTheProgramCannotHold) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"ab\xC3", "is not valid UTF-8 (byte 3)"},           // cut short
      {"\xFF", "is not valid UTF-8 (byte 1)"},
      {"a\xC0\xAF", "is not valid UTF-8 (byte 2)"},        // overlong "/"
      {"\xED\xA0\x80", "is not valid UTF-8 (byte 1)"},     // a surrogate
      {"Space 日本", "holds \"日\" (U+65E5), which Windows-1252 cannot represent"},
      {"a\xC2\x81", "holds \"\xC2\x81\" (U+0081), which Windows-1252 cannot represent"},
      {"tab\there", "holds the control character U+0009"},
      {std::string("nul\0x", 5), "holds the control character U+0000"},
      {"del\x7F", "holds the control character U+007F"},
  };
  for (const auto& [text, problem] : cases) {
    EXPECT_EQ(to_program_text(text, 255).problem, problem) << text;
  }
}

TEST(TextRulesTest, FolderNameIsOneNameThatWindowsKeepsAsWritten) {
  for (const std::string good : {"Quasarine_II", "Game 2 (Gold)", "Spiel f\xFCr alle", "v1.2", ".hidden"})
    EXPECT_EQ(folder_name_problem(good), "") << good;
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"a\\b", "must be a single name, without \"\\\""},
      {"a/b", "must be a single name, without \"/\""},
      {"a:b", "holds \":\", which Windows does not allow in a name"},
      {"why?", "holds \"?\", which Windows does not allow in a name"},
      {"a*b", "holds \"*\""}, {"a\"b", "holds a double quote"}, {"a<b", "holds \"<\""}, {"a>b", "holds \">\""},
      {"a|b", "holds \"|\""},
      {"Game.", "has a name ending in a dot or a blank"},
      {"Game ", "has a name ending in a dot or a blank"},
      {"..", "would leave its folder"},
      {"CON", "device name"}, {"nul.txt", "device name"}, {"lpt1", "device name"}, {"Com9", "device name"},
  };
  for (const auto& [name, problem] : bad) {
    const std::string found = folder_name_problem(name);
    EXPECT_NE(found.find(problem), std::string::npos) << name << ": " << found;
  }
}

TEST(TextRulesTest, ShortcutTitleMayEndInADotButNotHoldASeparator) {
  EXPECT_EQ(link_title_problem("Quasarine Inc."), "");
  EXPECT_EQ(link_title_problem("Quasarine II l\xF6schen"), "");
  EXPECT_NE(link_title_problem("Quasarine II: The Drift").find("\":\""), std::string::npos);
  EXPECT_NE(link_title_problem("Fight/Flight").find("single name"), std::string::npos);
  EXPECT_NE(link_title_problem("AUX").find("device name"), std::string::npos);
}

TEST(TextRulesTest, InstalledPathStaysBelowTheInstallationFolder) {
  EXPECT_EQ(installed_path_problem("\\exebin\\quasarine2.exe"), "");
  EXPECT_EQ(installed_path_problem("\\game.exe"), "");
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"exebin\\game.exe", "must start with \"\\\""},
      {"C:\\game.exe", "must start with \"\\\""},
      {"\\exebin/game.exe", "not \"/\""},
      {"\\", "empty folder or file name"},
      {"\\\\server\\game.exe", "empty folder or file name"},
      {"\\exebin\\", "empty folder or file name"},
      {"\\..\\game.exe", "would leave its folder"},
      {"\\exebin\\..\\..\\game.exe", "would leave its folder"},
      {"\\exebin\\...\\game.exe", "ending in a dot"},
      {"\\C:\\game.exe", "holds \":\""},
      {"\\aux\\game.exe", "device name"},
  };
  for (const auto& [path, problem] : bad) {
    const std::string found = installed_path_problem(path);
    EXPECT_NE(found.find(problem), std::string::npos) << path << ": " << found;
  }
}

TEST(MkproductrcCliTest, CommandLineMistakesAreUsageErrors) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"product"}, {"product", "a.rc", "b.rc"}, {"product", "a.rc", "--icon", "x.ico"},
           {"product", "a.rc", "--default-icon"}, {"product", "a.rc", "--release-info"}}) {
    const Cli cli = run(args);
    EXPECT_EQ(cli.code, mkproductrc_usage);
    EXPECT_NE(cli.err.find("usage: mkproductrc"), std::string::npos);
  }
  EXPECT_EQ(run({"--help"}).code, mkproductrc_ok);
}

TEST(SampleProductTest, PassesOnceItsProgramsAreStaged) {
  const fs::path source = fs::path(__FILE__).parent_path() / "../../examples/quasarine";
  ASSERT_TRUE(fs::is_directory(source)) << source;
  TempDir tmp;
  const fs::path staged = tmp.path() / "quasarine";
  fs::copy(source, staged, fs::copy_options::recursive);
  write_file(staged / "files" / "exebin" / "quasarine2.exe", "MZ");
  write_file(staged / "files" / "uninst" / "uninstall.exe", "MZ");
  const Cli cli = run({staged.string(), (tmp.path() / "product.rc").string()});
  ASSERT_EQ(cli.code, mkproductrc_ok) << cli.err;
  EXPECT_EQ(cli.err, "");
  EXPECT_NE(read_file(staged / "logo.bmp").size(), 0u);
  const std::string rc = read_file(tmp.path() / "product.rc");
  EXPECT_NE(rc.find("APPICON ICON \"" + (staged / "icon.ico").string() + "\""), std::string::npos);
  EXPECT_NE(rc.find("  3004, \"Quasarine II löschen\""), std::string::npos);
}
