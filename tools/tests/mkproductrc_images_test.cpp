// The logo and icon mkproductrc takes: their kinds, headers and sizes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <cstdint>
#include <random>

#include "tools/tests/product_fixture.h"

using namespace product_test;

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
