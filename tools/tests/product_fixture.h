#pragma once
// The mkproductrc tests' product folder: a valid product with the smallest
// images that pass, and the fixture that builds it and runs the tool on it.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/mkproductrc/cli.h"
#include "tools/tests/host_test_support.h"

namespace fs = std::filesystem;

// Each suite's helpers in a namespace of their own: both suites link into one program.
namespace product_test {

// The tests' own scratch folder.
class TempDir : public HostTempDir {
 public:
  TempDir() : HostTempDir("mkproductrc_test") {}
};

inline void write_file(const fs::path& path, const std::string& contents) { write_host_file(path, contents); }

inline std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Smallest files that pass the signature checks; windres takes them too.
inline std::string tiny_bmp() {
  std::string bmp = "BM";
  const unsigned char rest[] = {58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,             // file header
                                40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,  // 1x1, 24 bits
                                0,  0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                0x20, 0x40, 0x80, 0};
  bmp.append(reinterpret_cast<const char*>(rest), sizeof rest);
  return bmp;
}

inline void put_le(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// A bitmap whose headers and data agree: file header, an info header of
// info_size bytes, a palette when bits <= 8, then the rows padded to four
// bytes. A negative height stores the rows top-down.
inline std::string make_bmp(std::int32_t width, std::int32_t height, int bits, std::uint32_t info_size = 40) {
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
inline std::string tiny_bmp_with(std::size_t at, std::uint32_t value, int size = 4) {
  std::string bmp = tiny_bmp();
  put_le(bmp, at, value, size);
  return bmp;
}

inline std::string tiny_ico() {
  const unsigned char bytes[] = {0, 0, 1, 0, 1, 0,                                        // one image
                                 1, 1, 0, 0, 1, 0, 32, 0, 48, 0, 0, 0, 22, 0, 0, 0,       // 1x1, 48 bytes at 22
                                 40, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 32, 0,        // BITMAPINFOHEADER
                                 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0x80, 0x40, 0x20, 0xFF, 0, 0, 0, 0};                      // pixel, mask
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

inline constexpr const char* valid_ini =
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

inline void make_product(const fs::path& dir, const std::string& ini = valid_ini) {
  write_file(dir / "product.ini", ini);
  write_file(dir / "logo.bmp", tiny_bmp());
  write_file(dir / "icon.ico", tiny_ico());
  write_file(dir / "files" / "exebin" / "quasarine2.exe", "MZ game");
  write_file(dir / "files" / "uninst" / "uninstall.exe", "MZ uninstaller");
}

// The ini text with one line replaced (matched by its start) or, with an empty
// replacement, removed.
inline std::string with_line(std::string ini, const std::string& start, const std::string& replacement, int nth = 0) {
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

inline Cli run(const std::vector<std::string>& args) { return run_cli(run_mkproductrc, args); }

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

}  // namespace product_test
