#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tools/tests/host_test_support.h"
#include "tools/common/cp1252.h"
#include "tools/mkproductrc/cli.h"
#include "tools/mkproductrc/ini.h"
#include "tools/mkproductrc/product_rc.h"
#include "tools/mkproductrc/text_rules.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

// The tests' own scratch folder.
class TempDir : public HostTempDir {
 public:
  TempDir() : HostTempDir("mkproductrc_test") {}
};

void write_file(const fs::path& path, const std::string& contents) { write_host_file(path, contents); }

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Smallest files that pass the signature checks; windres takes them too.
std::string tiny_bmp() {
  std::string bmp = "BM";
  const unsigned char rest[] = {58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,             // file header
                                40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,  // 1x1, 24 bits
                                0,  0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                0x20, 0x40, 0x80, 0};
  bmp.append(reinterpret_cast<const char*>(rest), sizeof rest);
  return bmp;
}

void put_le(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// A bitmap whose headers and data agree: file header, an info header of
// info_size bytes, a palette when bits <= 8, then the rows padded to four
// bytes. A negative height stores the rows top-down.
std::string make_bmp(std::int32_t width, std::int32_t height, int bits, std::uint32_t info_size = 40) {
  const bool core = info_size == 12;
  const std::size_t palette = bits <= 8 ? (std::size_t{1} << bits) * (core ? 3 : 4) : 0;
  const std::size_t off_bits = 14 + info_size + palette;
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::size_t pixel_bytes = stride * static_cast<std::size_t>(height < 0 ? -height : height);
  std::string bmp(14 + info_size, '\0');
  bmp += std::string(palette + pixel_bytes, '\x5A');
  bmp[0] = 'B';
  bmp[1] = 'M';
  put_le(bmp, 2, static_cast<std::uint32_t>(bmp.size()), 4);
  put_le(bmp, 10, static_cast<std::uint32_t>(off_bits), 4);
  put_le(bmp, 14, info_size, 4);
  if (core) {
    put_le(bmp, 18, static_cast<std::uint32_t>(width), 2);
    put_le(bmp, 20, static_cast<std::uint32_t>(height), 2);
    put_le(bmp, 22, 1, 2);
    put_le(bmp, 24, static_cast<std::uint32_t>(bits), 2);
  } else {
    put_le(bmp, 18, static_cast<std::uint32_t>(width), 4);
    put_le(bmp, 22, static_cast<std::uint32_t>(height), 4);
    put_le(bmp, 26, 1, 2);
    put_le(bmp, 28, static_cast<std::uint32_t>(bits), 2);
    put_le(bmp, 34, static_cast<std::uint32_t>(pixel_bytes), 4);
  }
  return bmp;
}

// tiny_bmp() with one field of its headers replaced.
std::string tiny_bmp_with(std::size_t at, std::uint32_t value, int size = 4) {
  std::string bmp = tiny_bmp();
  put_le(bmp, at, value, size);
  return bmp;
}

std::string tiny_ico() {
  const unsigned char bytes[] = {0, 0, 1, 0, 1, 0,                                        // one image
                                 1, 1, 0, 0, 1, 0, 32, 0, 48, 0, 0, 0, 22, 0, 0, 0,       // 1x1, 48 bytes at 22
                                 40, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 32, 0,        // BITMAPINFOHEADER
                                 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0x80, 0x40, 0x20, 0xFF, 0, 0, 0, 0};                      // pixel, mask
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

constexpr const char* valid_ini =
    "\xEF\xBB\xBF; the test product\r\n"
    "[English]\r\n"
    "product_folder = Quasarine_II\r\n"
    "game_exe_path = \\exebin\\quasarine2.exe\r\n"
    "uninstaller_path=\\uninst\\uninstall.exe\r\n"
    "product_title =  Quasarine II  \r\n"
    "uninstall_title = Uninstall Quasarine\r\n"
    "game_comment = Fly the \"Quasarine\" to C:\\Stars\\ ; 100% fun # really\r\n"
    "uninstall_comment = Removes it.\r\n"
    "\r\n"
    "# German texts\r\n"
    "[German]\r\n"
    "\tproduct_folder\t=\tQuasarine_II\r\n"
    "game_exe_path = \\exebin\\quasarine2.exe\r\n"
    "uninstaller_path = \\uninst\\uninstall.exe\r\n"
    "product_title = Quasarine II\r\n"
    "uninstall_title = Quasarine II löschen\r\n"
    "game_comment = Größer als das All – für 5 €.\r\n"
    "uninstall_comment = Entfernt es.\r\n";

void make_product(const fs::path& dir, const std::string& ini = valid_ini) {
  write_file(dir / "product.ini", ini);
  write_file(dir / "logo.bmp", tiny_bmp());
  write_file(dir / "icon.ico", tiny_ico());
  write_file(dir / "files" / "exebin" / "quasarine2.exe", "MZ game");
  write_file(dir / "files" / "uninst" / "uninstall.exe", "MZ uninstaller");
}

// The ini text with one line replaced (matched by its start) or, with an empty
// replacement, removed.
std::string with_line(std::string ini, const std::string& start, const std::string& replacement, int nth = 0) {
  std::size_t at = 0;
  for (int i = 0; i <= nth; ++i) {
    at = ini.find("\n" + start, i == 0 ? 0 : at + 1);
    if (at == std::string::npos) return "line not found: " + start;
  }
  const std::size_t begin = at + 1;
  const std::size_t end = ini.find('\n', begin) + 1;
  ini.replace(begin, end - begin, replacement.empty() ? "" : replacement + "\r\n");
  return ini;
}

using Cli = CliResult;

Cli run(const std::vector<std::string>& args) { return run_cli(run_mkproductrc, args); }

class ProductTest : public ::testing::Test {
 protected:
  void SetUp() override { make_product(dir()); }

  fs::path dir() const { return tmp_.path() / "product"; }
  fs::path output() const { return tmp_.path() / "product.rc"; }
  Cli run_tool() const { return run({dir().string(), output().string()}); }

  // The tool must refuse, name the problem and leave no script, not even an
  // earlier one, and no temporary file.
  void expect_refused(const std::string& problem) {
    write_file(output(), "stale script");
    const Cli cli = run_tool();
    EXPECT_EQ(cli.code, mkproductrc_refused);
    EXPECT_NE(cli.err.find(problem), std::string::npos) << cli.err;
    EXPECT_FALSE(fs::exists(output()));
    for (const auto& e : fs::directory_iterator(tmp_.path()))
      EXPECT_EQ(e.path().filename(), "product") << "left behind: " << e.path();
  }

  TempDir tmp_;
};

}  // namespace

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

// ---- the tool on a product folder

TEST_F(ProductTest, ValidProductGivesTheExpectedScript) {
  const Cli cli = run_tool();
  ASSERT_EQ(cli.code, mkproductrc_ok) << cli.err;
  EXPECT_EQ(cli.err, "");
  const std::string expected =
      "// Generated by mkproductrc from a product folder: edit the product, not this file.\n"
      "#pragma code_page(65001)\n"
      "\n"
      "STRINGTABLE\n"
      "BEGIN\n"
      "  2000, \"Quasarine_II\"  // English product_folder\n"
      "  2001, \"\\\\exebin\\\\quasarine2.exe\"  // English game_exe_path\n"
      "  2002, \"\\\\uninst\\\\uninstall.exe\"  // English uninstaller_path\n"
      "  2003, \"Quasarine II\"  // English product_title\n"
      "  2004, \"Uninstall Quasarine\"  // English uninstall_title\n"
      "  2005, \"Fly the \"\"Quasarine\"\" to C:\\\\Stars\\\\ ; 100% fun # really\"  // English game_comment\n"
      "  2006, \"Removes it.\"  // English uninstall_comment\n"
      "  3000, \"Quasarine_II\"  // German product_folder\n"
      "  3001, \"\\\\exebin\\\\quasarine2.exe\"  // German game_exe_path\n"
      "  3002, \"\\\\uninst\\\\uninstall.exe\"  // German uninstaller_path\n"
      "  3003, \"Quasarine II\"  // German product_title\n"
      "  3004, \"Quasarine II löschen\"  // German uninstall_title\n"
      "  3005, \"Größer als das All – für 5 €.\"  // German game_comment\n"
      "  3006, \"Entfernt es.\"  // German uninstall_comment\n"
      "END\n"
      "\n"
      "// logo.bmp contents: 6b5cb5647a16d521\n"
      "// icon contents: 3b9c01e85cd10c23\n"
      "LOGOBMP BITMAP \"" + (dir() / "logo.bmp").string() + "\"\n"
      "APPICON ICON \"" + (dir() / "icon.ico").string() + "\"\n";
  EXPECT_EQ(read_file(output()), expected);
}

// A product without its own uninstaller gets the project's, at each
// language's uninstaller_path: the tool lists those places for the build.
TEST_F(ProductTest, AMissingUninstallerIsListedWhereTheProjectsGoes) {
  fs::remove(dir() / "files" / "uninst" / "uninstall.exe");
  // The German section's (the second) elsewhere.
  write_file(dir() / "product.ini", with_line(valid_ini, "uninstaller_path", "uninstaller_path = \\Entfernen.exe", 1));
  const fs::path list = tmp_.path() / "uninstallers.txt";
  const Cli cli = run({dir().string(), output().string(), "--uninstallers", list.string()});
  ASSERT_EQ(cli.code, mkproductrc_ok) << cli.err;
  EXPECT_EQ(read_file(list), "uninst\\uninstall.exe\nEntfernen.exe\n");
}

TEST_F(ProductTest, ImagePathsAreAbsoluteAndEscaped) {
  const fs::path odd = tmp_.path() / "a \"b\" \\c ä";
  make_product(odd);
  fs::remove(odd / "icon.ico");
  write_file(odd / "default.ico", tiny_ico());
  const fs::path here = fs::current_path();
  fs::current_path(tmp_.path());
  const Cli cli = run({"a \"b\" \\c ä", output().string(), "--default-icon", "a \"b\" \\c ä/default.ico"});
  fs::current_path(here);
  ASSERT_EQ(cli.code, mkproductrc_ok) << cli.err;
  const std::string quoted = tmp_.path().string() + "/a \"\"b\"\" \\\\c ä";
  const std::string rc = read_file(output());
  EXPECT_NE(rc.find("LOGOBMP BITMAP \"" + quoted + "/logo.bmp\"\n"), std::string::npos) << rc;
  EXPECT_NE(rc.find("APPICON ICON \"" + quoted + "/default.ico\"\n"), std::string::npos) << rc;
}

TEST_F(ProductTest, RefusesAnIncompleteProduct) {
  const std::vector<std::pair<std::string, std::string>> removals = {
      {"product.ini", "has no readable product.ini"},
      {"logo.bmp", "has no logo.bmp"},
      {"files", "has no files/ folder"},
      {"icon.ico", "has no icon.ico and no default icon was given"},
  };
  for (const auto& [item, problem] : removals) {
    SCOPED_TRACE(item);
    make_product(dir());
    fs::remove_all(dir() / item);
    expect_refused(problem);
  }
  fs::remove_all(dir());
  expect_refused("is not a folder");
}

TEST_F(ProductTest, RefusesMissingOrEmptyTexts) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {with_line(valid_ini, "[German]", "[Deutsch]"), "product.ini: has no [German] section"},
      {with_line(valid_ini, "uninstall_comment", ""), "product.ini: [English] uninstall_comment is missing"},
      {with_line(valid_ini, "game_comment", "game_comment =", 1), "line 18: [German] game_comment is empty"},
      {with_line(valid_ini, "product_title", "product_title = A\r\nproduct_title = B"),
       "line 7: [English] product_title is given twice (first on line 6)"},
      {with_line(valid_ini, "[German]", "[German"), "product.ini line 12: a section header is written [name]"},
  };
  for (const auto& [ini, problem] : cases) {
    SCOPED_TRACE(problem);
    write_file(dir() / "product.ini", ini);
    expect_refused(problem);
  }
}

TEST_F(ProductTest, RefusesTextsTheProgramCannotUse) {
  const std::string long_folder(214, 'q');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"game_comment = caf\xE9", "line 8: [English] game_comment is not valid UTF-8 (byte 4)"},
      {"game_comment = 日本", "line 8: [English] game_comment holds \"日\" (U+65E5)"},
      {"game_comment = " + std::string(256, 'x'), "game_comment is 256 characters long"},
      {"product_folder = " + long_folder, "product_folder is 214 characters long in Windows-1252; at most 213"},
      {"product_folder = Games\\Quasarine", "product_folder must be a single name"},
      {"product_folder = LPT1", "product_folder uses a device name"},
      {"product_title = Quasarine II: Drift", "product_title holds \":\""},
      {"uninstall_title = Remove/Uninstall", "uninstall_title must be a single name"},
      {"game_exe_path = exebin\\quasarine2.exe", "game_exe_path must start with \"\\\""},
      {"game_exe_path = \\..\\quasarine2.exe", "game_exe_path holds \"..\""},
      {"game_exe_path = \\exebin\\Quasarine2.exe", "game_exe_path names no file below files/"},
      {"uninstaller_path = \\uninst", "uninstaller_path names a folder below files/, not a file"},
  };
  for (const auto& [line, problem] : cases) {
    SCOPED_TRACE(problem);
    const std::string key = line.substr(0, line.find(' '));
    write_file(dir() / "product.ini", with_line(valid_ini, key, line));
    expect_refused(problem);
  }
}

TEST_F(ProductTest, RefusesImagesOfTheWrongKind) {
  write_file(dir() / "logo.bmp", "\x89PNG\r\n\x1A\n and the rest of a PNG file");
  expect_refused("logo.bmp is not a BMP file");
  write_file(dir() / "logo.bmp", "BM");
  expect_refused("logo.bmp is not a BMP file");
  make_product(dir());
  write_file(dir() / "icon.ico", tiny_bmp());
  expect_refused("icon.ico is not a Windows icon file");
  fs::remove(dir() / "icon.ico");
  write_file(tmp_.path() / "not.ico", std::string("\0\0\1\0\5\0", 6));  // claims five images, holds none
  write_file(output(), "stale");
  const Cli cli = run({dir().string(), output().string(), "--default-icon", (tmp_.path() / "not.ico").string()});
  EXPECT_EQ(cli.code, mkproductrc_refused);
  EXPECT_NE(cli.err.find("not.ico is not a Windows icon file"), std::string::npos) << cli.err;
  fs::remove(tmp_.path() / "not.ico");
}

TEST_F(ProductTest, RefusesLogosWithBrokenHeaders) {
  std::string random = "BM";
  std::mt19937 bytes(7);
  for (int i = 0; i < 200; ++i) random += static_cast<char>(bytes());
  std::string core_flat = make_bmp(2, 2, 8, 12);
  put_le(core_flat, 20, 0, 2);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"BM" + std::string(24, '\0'), "logo.bmp has an info header of 0 bytes"},
      {random, "logo.bmp has an info header of"},
      {tiny_bmp().substr(0, 25), "logo.bmp is not a BMP file (its 25 bytes are too few for its headers)"},
      {tiny_bmp_with(14, 124), "logo.bmp is cut short: it ends inside its 124-byte info header"},
      {tiny_bmp_with(18, 0), "logo.bmp is 0 pixels wide; it must be at least 1"},
      {tiny_bmp_with(18, 0xFFFFFFFF), "logo.bmp is -1 pixels wide"},
      {tiny_bmp_with(22, 0), "logo.bmp has a height of 0 pixels"},
      {core_flat, "logo.bmp has a height of 0 pixels"},
      {tiny_bmp_with(26, 0, 2), "logo.bmp has 0 planes; a BMP file has 1"},
      {tiny_bmp_with(28, 7, 2), "logo.bmp has 7 bits per pixel"},
      {tiny_bmp_with(28, 48, 2), "logo.bmp has 48 bits per pixel"},
      {tiny_bmp_with(30, 5), "logo.bmp uses compression 5"},
      {tiny_bmp_with(10, 58), "logo.bmp puts its pixel data at byte 58, past its end (58 bytes)"},
      {tiny_bmp_with(10, 0xFFFFFFFF), "past its end"},
      {tiny_bmp_with(10, 53), "logo.bmp puts its pixel data at byte 53, inside its headers (which end at byte 54)"},
  };
  for (const auto& [bmp, problem] : cases) {
    SCOPED_TRACE(problem);
    write_file(dir() / "logo.bmp", bmp);
    expect_refused(problem);
    // One fault, one message.
    const std::string err = run_tool().err;
    EXPECT_EQ(err.find("logo.bmp"), err.rfind("logo.bmp")) << err;
  }
}

TEST_F(ProductTest, RefusesLogosWithTooLittlePixelData) {
  const auto cut = [](std::string bmp) { return bmp.substr(0, bmp.size() - 1); };
  std::string huge = tiny_bmp_with(18, 0x7FFFFFFF);  // 2^31 - 1 square: overflows 32-bit sizes
  put_le(huge, 22, 0x80000000, 4);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {cut(tiny_bmp()), "logo.bmp is cut short: its 1 x 1 pixels at 24 bits take 4 bytes from byte 54, "
                        "but the file has 57 bytes"},
      {cut(make_bmp(3, 2, 24)), "its 3 x 2 pixels at 24 bits take 24 bytes"},  // rows padded from 9 to 12
      {cut(make_bmp(9, 3, 1)), "its 9 x 3 pixels at 1 bits take 12 bytes"},
      {cut(make_bmp(2, -3, 8)), "its 2 x 3 pixels at 8 bits take 12 bytes"},  // top-down
      {cut(make_bmp(2, 2, 8, 12)), "its 2 x 2 pixels at 8 bits take 8 bytes"},
      {huge, "its 2147483647 x 2147483648 pixels at 24 bits take 13835058055282163712 bytes"},
  };
  for (const auto& [bmp, problem] : cases) {
    SCOPED_TRACE(problem);
    write_file(dir() / "logo.bmp", bmp);
    expect_refused(problem);
  }
  std::string bitfields = cut(make_bmp(2, 2, 16, 56));
  put_le(bitfields, 30, 3, 4);
  write_file(dir() / "logo.bmp", bitfields);
  expect_refused("its 2 x 2 pixels at 16 bits take 8 bytes");
}

TEST_F(ProductTest, AcceptsLogosOfEveryHeaderKindAndRowOrder) {
  std::string bitfields = make_bmp(3, 2, 16, 56);
  put_le(bitfields, 30, 3, 4);
  // Compressed rows have no size to check: an RLE8 image of 4 x 4 pixels may
  // be just its end marker.
  std::string rle = make_bmp(4, 4, 8);
  put_le(rle, 30, 1, 4);
  rle.resize(14 + 40 + 1024 + 2);
  rle.replace(rle.size() - 2, 2, std::string("\0\1", 2));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"top-down", make_bmp(1, -1, 24)},          {"padded rows", make_bmp(3, 2, 24)},
      {"one bit", make_bmp(9, 3, 1)},             {"core header", make_bmp(2, 2, 8, 12)},
      {"124-byte header", make_bmp(2, -2, 32, 124)}, {"bit fields", bitfields},
      {"RLE8", rle},                              {"trailing bytes", tiny_bmp() + "extra"},
  };
  for (const auto& [name, bmp] : cases) {
    SCOPED_TRACE(name);
    write_file(dir() / "logo.bmp", bmp);
    const Cli cli = run_tool();
    EXPECT_EQ(cli.code, mkproductrc_ok) << cli.err;
    EXPECT_EQ(cli.err, "");
  }
}

TEST_F(ProductTest, ReadsImagesOfUpTo32MiB) {
  write_file(dir() / "logo.bmp", tiny_bmp());
  fs::resize_file(dir() / "logo.bmp", 32u << 20);  // sparse: trailing zeros after the pixel
  const Cli cli = run_tool();
  EXPECT_EQ(cli.code, mkproductrc_ok) << cli.err;
  fs::resize_file(dir() / "logo.bmp", (32u << 20) + 1);
  expect_refused("logo.bmp is larger than 32 MiB, far too large for a logo");
  make_product(dir());
  fs::resize_file(dir() / "icon.ico", (32u << 20) + 1);
  expect_refused("icon.ico is larger than 32 MiB, far too large for an icon");
}

// The build compares the script's bytes, and an image copied with its file
// time kept must still change them.
TEST_F(ProductTest, ScriptFollowsTheImagesContents) {
  const auto rewrite_keeping_time = [](const fs::path& path, std::size_t at) {
    const auto time = fs::last_write_time(path);
    std::string bytes = read_file(path);
    bytes[at] = static_cast<char>(bytes[at] ^ 1);
    write_file(path, bytes);
    fs::last_write_time(path, time);
  };
  ASSERT_EQ(run_tool().code, mkproductrc_ok);
  const std::string first = read_file(output());
  ASSERT_EQ(run_tool().code, mkproductrc_ok);
  EXPECT_EQ(read_file(output()), first);

  rewrite_keeping_time(dir() / "logo.bmp", 55);  // a pixel
  ASSERT_EQ(run_tool().code, mkproductrc_ok);
  const std::string new_logo = read_file(output());
  EXPECT_NE(new_logo, first);
  EXPECT_EQ(new_logo.find("6b5cb5647a16d521"), std::string::npos) << new_logo;
  EXPECT_NE(new_logo.find("// icon contents: 3b9c01e85cd10c23\n"), std::string::npos) << new_logo;

  rewrite_keeping_time(dir() / "icon.ico", 62);  // a pixel
  ASSERT_EQ(run_tool().code, mkproductrc_ok);
  const std::string new_icon = read_file(output());
  EXPECT_NE(new_icon, new_logo);
  EXPECT_EQ(new_icon.find("3b9c01e85cd10c23"), std::string::npos) << new_icon;

  // The default icon counts as much as the product's own.
  fs::rename(dir() / "icon.ico", tmp_.path() / "default.ico");
  const Cli cli = run({dir().string(), output().string(), "--default-icon", (tmp_.path() / "default.ico").string()});
  ASSERT_EQ(cli.code, mkproductrc_ok) << cli.err;
  const std::string default_icon = read_file(output());
  rewrite_keeping_time(tmp_.path() / "default.ico", 62);
  ASSERT_EQ(run({dir().string(), output().string(), "--default-icon", (tmp_.path() / "default.ico").string()}).code,
            mkproductrc_ok);
  EXPECT_NE(read_file(output()), default_icon);
  fs::remove(tmp_.path() / "default.ico");
}

TEST(ProductDigestTest, IsTheFnv1a64OfTheBytes) {
  EXPECT_EQ(fnv1a64(""), 0xcbf29ce484222325u);
  EXPECT_EQ(fnv1a64("a"), 0xaf63dc4c8601ec8cu);
  EXPECT_EQ(fnv1a64("foobar"), 0x85944171f73967e8u);
  EXPECT_NE(fnv1a64(std::string("\0\xFF", 2)), fnv1a64(std::string("\xFF\0", 2)));
}

TEST_F(ProductTest, ReportsEveryProblemAtOnce) {
  fs::remove(dir() / "logo.bmp");
  write_file(dir() / "product.ini", with_line(with_line(valid_ini, "product_title", "product_title = a|b"),
                                              "uninstall_title", "", 1));
  const Cli cli = run_tool();
  EXPECT_EQ(cli.code, mkproductrc_refused);
  EXPECT_NE(cli.err.find("line 6: [English] product_title holds \"|\""), std::string::npos) << cli.err;
  EXPECT_NE(cli.err.find("[German] uninstall_title is missing"), std::string::npos) << cli.err;
  EXPECT_NE(cli.err.find("has no logo.bmp"), std::string::npos) << cli.err;
  EXPECT_NE(cli.err.find("nothing was written"), std::string::npos) << cli.err;
}

// Files at the places of setup.exe's own files would make it refuse the
// payload as damaged: the maker hears of every one now.
TEST_F(ProductTest, RefusesFilesWhereSetupWritesItsOwn) {
  write_file(dir() / "files" / "Quasarine II.lnk", "a link of the maker's");
  write_file(dir() / "files" / "Quasarine II löschen.lnk", "another");
  write_file(dir() / "files" / "uninst" / "log_inst.dat", "a journal");
  const Cli cli = run_tool();
  EXPECT_EQ(cli.code, mkproductrc_refused);
  for (const char* problem :
       {"[English] product_title makes files/Quasarine II.lnk the place of the link setup.exe makes",
        "[German] uninstall_title makes files/Quasarine II löschen.lnk the place of the link",
        "uninstaller_path makes files/uninst/log_inst.dat the place of the journal setup.exe writes"}) {
    EXPECT_NE(cli.err.find(problem), std::string::npos) << problem << "\n" << cli.err;
  }
  std::filesystem::remove(dir() / "files" / "uninst" / "log_inst.dat");
  write_file(dir() / "files" / "uninst" / "log_backup.dat", "a list");
  const Cli list = run_tool();
  EXPECT_EQ(list.code, mkproductrc_refused);
  EXPECT_NE(list.err.find("uninstaller_path makes files/uninst/log_backup.dat the place of the backup list setup.exe "
                          "writes"),
            std::string::npos)
      << list.err;
}

TEST_F(ProductTest, WarnsAboutWhatItDoesNotKnowAndMatchesNamesWithoutCase) {
  std::string ini = with_line(valid_ini, "[English]", "version = 2\r\n[English]");
  ini = with_line(ini, "[German]", "[GERMAN]");
  ini = with_line(ini, "product_folder", "Product_Folder = Quasarine_II");
  ini = with_line(ini, "game_comment", "game_comment = \"Quoted\"");
  ini += "publisher = Lantern Works\r\n[French]\r\nproduct_title = Quasarine II\r\n";
  write_file(dir() / "product.ini", ini);
  const Cli cli = run_tool();
  ASSERT_EQ(cli.code, mkproductrc_ok) << cli.err;
  EXPECT_NE(cli.err.find("warning: product.ini line 2: \"version\" stands before any section"), std::string::npos)
      << cli.err;
  EXPECT_NE(cli.err.find("warning: product.ini line 21: unknown key \"publisher\" in [German]"), std::string::npos)
      << cli.err;
  EXPECT_NE(cli.err.find("warning: product.ini line 22: unknown section [French]"), std::string::npos) << cli.err;
  EXPECT_NE(cli.err.find("warning: product.ini line 9: [English] game_comment is in quotes"), std::string::npos)
      << cli.err;
  const std::string rc = read_file(output());
  EXPECT_NE(rc.find("  2000, \"Quasarine_II\""), std::string::npos) << rc;
  EXPECT_NE(rc.find("  2005, \"\"\"Quoted\"\"\""), std::string::npos) << rc;
}

// [Release]: version and publisher together, the version as a version
// resource holds it; the license defaults. Every problem is named with its line.
TEST_F(ProductTest, ReleaseSectionIsCheckedLikeTheTexts) {
  const std::string release = "[Release]\r\nproduct_version = 1.2.0\r\npublisher = Lantern Works\r\n";
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"[Release]\r\nproduct_version = 1.2\r\n", "line 20: [Release] publisher is missing (a [Release] section"},
      {"[Release]\r\npublisher = Lantern Works\r\n", "[Release] product_version is missing"},
      {"[release]\r\nproduct_version =\r\npublisher = L\r\n", "line 21: [Release] product_version is empty"},
      {"[Release]\r\nproduct_version = 1.2.0.0.1\r\npublisher = L\r\n", "product_version must be 1 to 4 numbers"},
      {"[Release]\r\nproduct_version = 1.65536\r\npublisher = L\r\n", "product_version must be 1 to 4 numbers"},
      {"[Release]\r\nproduct_version = 1.2 beta\r\npublisher = L\r\n", "product_version must be 1 to 4 numbers"},
      {"[Release]\r\nproduct_version = v1\r\npublisher = L\r\n", "product_version must be 1 to 4 numbers"},
      {"[Release]\r\nproduct_version = 1..2\r\npublisher = L\r\n", "product_version must be 1 to 4 numbers"},
      {"[Release]\r\nproduct_version = 1.2.\r\npublisher = L\r\n", "product_version must be 1 to 4 numbers"},
      {"[Release]\r\nproduct_version = 1.02\r\npublisher = L\r\n", "product_version has a number with a leading zero"},
      {"[Release]\r\nproduct_version = 99999999999999999999\r\npublisher = L\r\n", "must be 1 to 4 numbers"},
      {release + "publisher = Other\r\n", "line 23: [Release] publisher is given twice (first on line 22)"},
      {"[Release]\r\nproduct_version = 1\r\npublisher = 日本\r\n", "[Release] publisher holds \"日\" (U+65E5)"},
      {"[Release]\r\nproduct_version = 1\r\npublisher = a\tb\r\n", "[Release] publisher holds the control character"},
      {release + "license = " + std::string(256, 'x') + "\r\n", "[Release] license is 256 characters long"},
  };
  for (const auto& [section, problem] : refused) {
    SCOPED_TRACE(problem);
    write_file(dir() / "product.ini", std::string(valid_ini) + section);
    expect_refused(problem);
  }

  // Accepted: the strings, the version resource and the release information.
  for (const std::string version : {"0", "1.2.0", "65535.0.0.1"}) {
    SCOPED_TRACE(version);
    write_file(dir() / "product.ini", std::string(valid_ini) + "[RELEASE]\r\nproduct_version = " + version +
                                          "\r\npublisher = \"Lantern\" Wörks\r\n");
    const fs::path info = tmp_.path() / "release.json";
    const Cli cli = run({dir().string(), output().string(), "--release-info", info.string()});
    ASSERT_EQ(cli.code, mkproductrc_ok) << cli.err;
    const std::string rc = read_file(output());
    EXPECT_NE(rc.find("  2100, \"" + version + "\"  // Release product_version\n"), std::string::npos) << rc;
    EXPECT_NE(rc.find("  2101, \"\"\"Lantern\"\" Wörks\"  // Release publisher\n"), std::string::npos) << rc;
    EXPECT_NE(rc.find("VALUE \"ProductVersion\", \"" + version + "\"\n"), std::string::npos) << rc;
    EXPECT_EQ(read_file(info),
              "{\n  \"product_folder\": \"Quasarine_II\",\n  \"product_title\": \"Quasarine II\",\n"
              "  \"game_comment\": \"Fly the \\\"Quasarine\\\" to C:\\\\Stars\\\\ ; 100% fun # really\",\n"
              "  \"product_version\": \"" + version + "\",\n  \"publisher\": \"\\\"Lantern\\\" Wörks\",\n"
              "  \"license\": \"Proprietary\"\n}\n");
  }
  // Without [Release]: no version strings, no version resource, empty release information.
  write_file(dir() / "product.ini", valid_ini);
  const fs::path info = tmp_.path() / "release.json";
  ASSERT_EQ(run({dir().string(), output().string(), "--release-info", info.string()}).code, mkproductrc_ok);
  EXPECT_EQ(read_file(output()).find("VERSIONINFO"), std::string::npos);
  EXPECT_EQ(read_file(output()).find("  2100,"), std::string::npos);
  EXPECT_NE(read_file(info).find("\"product_version\": \"\",\n"), std::string::npos) << read_file(info);
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

// ---- what windres makes of the script

namespace {

std::string find_windres() {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    for (const char* name : {"i686-w64-mingw32-windres", "windres"}) {
      const fs::path candidate = fs::path(dir) / name;
      if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
  }
  return {};
}

// Runs windres without a shell; its messages go to `log`.
bool compile_rc(const std::string& windres, const fs::path& rc, const fs::path& res, const fs::path& log) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<std::string> args = {windres, "-O", "res", rc.string(), res.string()};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, windres.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A resource of a compiled .res file, keyed "type/name": ordinals as numbers,
// names as their ASCII text.
using ResourceMap = std::map<std::string, std::string>;

ResourceMap read_res(const std::string& res) {
  ResourceMap resources;
  const auto u16 = [&](std::size_t at) {
    return static_cast<unsigned>(static_cast<std::uint8_t>(res[at]) | static_cast<std::uint8_t>(res[at + 1]) << 8);
  };
  const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  std::size_t at = 0;
  while (at + 32 <= res.size()) {
    const std::size_t data_size = u32(at), header_size = u32(at + 4);
    std::size_t field = at + 8;
    std::string key;
    for (int part = 0; part < 2; ++part) {
      if (u16(field) == 0xFFFF) {
        key += std::to_string(u16(field + 2));
        field += 4;
      } else {
        for (; u16(field) != 0; field += 2) key += static_cast<char>(u16(field));
        field += 2;
      }
      key += part == 0 ? "/" : "";
    }
    if (data_size != 0) resources[key] = res.substr(at + header_size, data_size);
    at += (header_size + data_size + 3) & ~std::size_t(3);
  }
  return resources;
}

// The strings of the RT_STRING blocks (type 6) by id, as UTF-16 code units.
std::map<int, std::u16string> string_table(const ResourceMap& resources) {
  std::map<int, std::u16string> strings;
  for (const auto& [key, data] : resources) {
    if (key.rfind("6/", 0) != 0) continue;
    const int block = std::stoi(key.substr(2));
    std::size_t at = 0;
    for (int i = 0; i < 16 && at + 2 <= data.size(); ++i) {
      const auto unit = [&](std::size_t p) {
        return static_cast<char16_t>(static_cast<std::uint8_t>(data[p]) | static_cast<std::uint8_t>(data[p + 1]) << 8);
      };
      const std::size_t length = unit(at);
      std::u16string text;
      for (std::size_t k = 0; k < length; ++k) text += unit(at + 2 + 2 * k);
      if (length != 0) strings[(block - 1) * 16 + i] = text;
      at += 2 + 2 * length;
    }
  }
  return strings;
}

// What LoadStringW sees for a text whose LoadStringA form is these bytes.
std::u16string utf16_of_cp1252(const std::string& cp1252) {
  const std::string utf8 = cp1252_to_utf8(cp1252);
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<std::uint8_t>(utf8[i]);
    const std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : 3;
    char32_t cp = n == 1 ? b : n == 2 ? b & 0x1F : b & 0x0F;
    for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<std::uint8_t>(utf8[i + k]) & 0x3F);
    out += static_cast<char16_t>(cp);
    i += n;
  }
  return out;
}

class WindresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    windres_ = find_windres();
    if (windres_.empty()) GTEST_SKIP() << "no windres on PATH";
  }

  ResourceMap compile(const std::string& rc_text) {
    write_file(tmp_.path() / "t.rc", rc_text);
    const bool ok = compile_rc(windres_, tmp_.path() / "t.rc", tmp_.path() / "t.res", tmp_.path() / "windres.log");
    EXPECT_TRUE(ok) << read_file(tmp_.path() / "windres.log") << "\n" << rc_text;
    return ok ? read_res(read_file(tmp_.path() / "t.res")) : ResourceMap{};
  }

  std::string windres_;
  TempDir tmp_;
};

}  // namespace

TEST_F(WindresTest, QuotedTextsComeBackUnchanged) {
  const std::vector<std::string> texts = {
      "\\exebin\\quasarine2.exe",  // "\e" and "\q" are no escapes, but "\x" and "\u" would be
      "\\x41\\u0041\\101\\n\\",    "ends in a backslash\\",
      "\"", "a \"quoted\" word", "\"\"\"", "it's \"WIN32\" and \"_WIN32\" and \"RC_INVOKED\"",
      "/* not a comment */ // nor this", "#define X", "100% ?\?/ ?\?= trigraphs",
      "Größer – für 5 € „gut“ Œuvre", "tab\tand\x01", "END", "BEGIN 1, \"x\" END",
  };
  std::string rc = "#pragma code_page(65001)\nSTRINGTABLE\nBEGIN\n";
  for (std::size_t i = 0; i < texts.size(); ++i) rc += "  " + std::to_string(100 + i) + ", " + rc_quote(texts[i]) + "\n";
  rc += "END\n";
  const auto strings = string_table(compile(rc));
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const auto bytes = utf8_to_cp1252(texts[i]);
    ASSERT_TRUE(bytes) << texts[i];
    const auto found = strings.find(100 + static_cast<int>(i));
    ASSERT_NE(found, strings.end()) << texts[i];
    EXPECT_EQ(found->second, utf16_of_cp1252(*bytes)) << texts[i];
  }
}

TEST_F(WindresTest, ProductScriptHoldsTheTextsLogoAndIcon) {
  // A folder name that needs escaping in the script, and a game file whose
  // name is not ASCII.
  const fs::path dir = tmp_.path() / "my \"best\" \\ games ä" / "product";
  std::string ini = with_line(valid_ini, "game_exe_path", "game_exe_path = \\bin\\Spiel für 2.exe", 1);
  make_product(dir, ini);
  write_file(dir / "files" / "bin" / "Spiel für 2.exe", "MZ");
  const Cli cli = run({dir.string(), (tmp_.path() / "product.rc").string()});
  ASSERT_EQ(cli.code, mkproductrc_ok) << cli.err;

  const ResourceMap resources = compile(read_file(tmp_.path() / "product.rc"));
  const auto strings = string_table(resources);
  const std::map<int, std::string> expected = {
      {2000, "Quasarine_II"}, {2001, "\\exebin\\quasarine2.exe"}, {2002, "\\uninst\\uninstall.exe"},
      {2003, "Quasarine II"}, {2004, "Uninstall Quasarine"},
      {2005, "Fly the \"Quasarine\" to C:\\Stars\\ ; 100% fun # really"}, {2006, "Removes it."},
      {3000, "Quasarine_II"}, {3001, "\\bin\\Spiel f\xFCr 2.exe"}, {3002, "\\uninst\\uninstall.exe"},
      {3003, "Quasarine II"}, {3004, "Quasarine II l\xF6schen"},
      {3005, "Gr\xF6\xDF" "er als das All \x96 f\xFCr 5 \x80."}, {3006, "Entfernt es."},
  };
  ASSERT_EQ(strings.size(), expected.size());
  for (const auto& [id, text] : expected) {
    ASSERT_EQ(strings.count(id), 1u) << id;
    EXPECT_EQ(strings.at(id), utf16_of_cp1252(text)) << id;
  }
  // RT_BITMAP holds the file without its 14-byte file header; RT_GROUP_ICON
  // lists the images of the icon file.
  ASSERT_EQ(resources.count("2/LOGOBMP"), 1u);
  EXPECT_EQ(resources.at("2/LOGOBMP"), tiny_bmp().substr(14));
  ASSERT_EQ(resources.count("14/APPICON"), 1u);
  EXPECT_EQ(resources.at("14/APPICON").substr(0, 6), tiny_ico().substr(0, 6));
}

// The version resource of a product with [Release], as Explorer reads it:
// the numbers padded to four, and the texts in UTF-16, the description the
// one the including script chose.
TEST_F(WindresTest, ReleaseGivesTheVersionResource) {
  make_product(tmp_.path() / "product", std::string(valid_ini) +
                                            "[Release]\r\nproduct_version = 1.2.3\r\npublisher = Lantern Wörks\r\n");
  const Cli cli = run({(tmp_.path() / "product").string(), (tmp_.path() / "product.rc").string()});
  ASSERT_EQ(cli.code, mkproductrc_ok) << cli.err;
  for (const auto& [description, expected] :
       std::vector<std::pair<std::string, std::string>>{{"SETUP_DESCRIPTION", "Quasarine II Setup"},
                                                        {"UNINSTALL_DESCRIPTION", "Uninstall Quasarine"}}) {
    SCOPED_TRACE(description);
    const ResourceMap resources =
        compile("#define PROGRAM_DESCRIPTION " + description + "\n" + read_file(tmp_.path() / "product.rc"));
    ASSERT_EQ(resources.count("16/1"), 1u);
    const std::string& info = resources.at("16/1");
    const auto utf16 = [](const std::string& cp1252) {
      const std::u16string text = utf16_of_cp1252(cp1252);
      return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    };
    // VS_FIXEDFILEINFO: the signature, the structure version, then the file and product versions.
    const std::size_t fixed = info.find(std::string("\xBD\x04\xEF\xFE", 4));
    ASSERT_NE(fixed, std::string::npos);
    EXPECT_EQ(info.substr(fixed + 8, 16), std::string("\x02\0\x01\0\0\0\x03\0\x02\0\x01\0\0\0\x03\0", 16));
    for (const std::string& text : {std::string("CompanyName"), std::string("Lantern W\xF6rks"),
                                    std::string("FileDescription"), expected, std::string("ProductName"),
                                    std::string("Quasarine II"), std::string("ProductVersion"), std::string("1.2.3"),
                                    std::string("FileVersion")}) {
      EXPECT_NE(info.find(utf16(text)), std::string::npos) << text;
    }
  }
}
