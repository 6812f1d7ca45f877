// What windres makes of the scripts mkproductrc writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <sstream>

#include "tools/common/cp1252.h"
#include "tools/mkproductrc/product_rc.h"
#include "tools/tests/product_fixture.h"

extern char** environ;

using namespace product_test;

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
