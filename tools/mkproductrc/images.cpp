#include "tools/mkproductrc/images.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string_view>

#include "tools/mkproductrc/product_paths.h"

namespace fs = std::filesystem;

namespace {

// The whole of an image file. A file too large is refused unread; the read
// stops a little past the limit in case the file grows meanwhile.
std::optional<std::string> read_image(const fs::path& path, const std::string& name, const std::string& kind,
                                      ProductCheck& check) {
  const auto too_large = [&] {
    check.errors.push_back(name + " is larger than 32 MiB, far too large for " + kind);
    return std::nullopt;
  };
  std::error_code ec;
  if (const std::uintmax_t size = fs::file_size(path, ec); !ec && size > max_image_bytes) return too_large();
  std::ifstream in(path, std::ios::binary);
  std::string bytes;
  std::array<char, 1 << 16> chunk;
  while (in && bytes.size() <= max_image_bytes) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
  }
  if (!in && !in.eof()) {
    check.errors.push_back(name + " cannot be read");
    return std::nullopt;
  }
  if (bytes.size() > max_image_bytes) return too_large();
  return bytes;
}

std::uint32_t le16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
}
std::uint32_t le32(std::string_view bytes, std::size_t at) { return le16(bytes, at) | le16(bytes, at + 2) << 16; }

// What keeps a Windows bitmap from being shown, or an empty string. Checks
// only what the headers promise against what the file holds.
std::string bmp_problem(std::string_view bmp) {
  constexpr std::size_t file_header = 14;
  if (bmp.size() < 2 || bmp.substr(0, 2) != "BM") return "is not a BMP file (it does not start with \"BM\")";
  if (bmp.size() < file_header + 12)
    return "is not a BMP file (its " + std::to_string(bmp.size()) + " bytes are too few for its headers)";

  const std::uint32_t info_size = le32(bmp, 14);
  if (info_size != 12 && info_size != 40 && info_size != 52 && info_size != 56 && info_size != 108 && info_size != 124)
    return "has an info header of " + std::to_string(info_size) +
           " bytes, which is no BMP header size (12, 40, 52, 56, 108 or 124)";
  const std::size_t headers_end = file_header + info_size;
  if (bmp.size() < headers_end)
    return "is cut short: it ends inside its " + std::to_string(info_size) + "-byte info header";

  // The 12-byte core header has 16-bit unsigned sizes and no compression.
  const bool core = info_size == 12;
  const std::int64_t width = core ? std::int64_t{le16(bmp, 18)} : std::int32_t(le32(bmp, 18));
  const std::int64_t height = core ? std::int64_t{le16(bmp, 20)} : std::int32_t(le32(bmp, 22));
  const std::uint32_t planes = le16(bmp, core ? 22 : 26);
  const std::uint32_t bits = le16(bmp, core ? 24 : 28);
  const std::uint32_t compression = core ? 0 : le32(bmp, 30);
  if (width <= 0) return "is " + std::to_string(width) + " pixels wide; it must be at least 1";
  if (height == 0) return "has a height of 0 pixels";  // negative is fine: the rows run top-down
  if (planes != 1) return "has " + std::to_string(planes) + " planes; a BMP file has 1";
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return "has " + std::to_string(bits) + " bits per pixel; a BMP file has 1, 4, 8, 16, 24 or 32";
  // 4 and 5 (JPEG, PNG inside) are for printers; the dialogs could not show them.
  if (compression > 3)
    return "uses compression " + std::to_string(compression) +
           "; only 0 (none), 1 (RLE8), 2 (RLE4) and 3 (bit fields) can be shown";

  const std::uint32_t off_bits = le32(bmp, 10);
  if (off_bits >= bmp.size())
    return "puts its pixel data at byte " + std::to_string(off_bits) + ", past its end (" +
           std::to_string(bmp.size()) + " bytes)";
  if (off_bits < headers_end)
    return "puts its pixel data at byte " + std::to_string(off_bits) + ", inside its headers (which end at byte " +
           std::to_string(headers_end) + ")";

  // Uncompressed rows have a known size, padded to four bytes. With at most
  // 2^31 rows of at most 2^33 bytes the product fits in 64 bits.
  if (compression == 0 || compression == 3) {
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
    const std::uint64_t pixel_bytes = stride * rows;
    if (pixel_bytes > bmp.size() - off_bits)
      return "is cut short: its " + std::to_string(width) + " x " + std::to_string(rows) + " pixels at " +
             std::to_string(bits) + " bits take " + std::to_string(pixel_bytes) + " bytes from byte " +
             std::to_string(off_bits) + ", but the file has " + std::to_string(bmp.size()) + " bytes";
  }
  return {};
}

}  // namespace

void check_logo(const fs::path& logo, ProductCheck& check) {
  if (!is_file(logo)) {
    check.errors.push_back("has no logo.bmp (the logo the dialogs show)");
    return;
  }
  const auto bytes = read_image(logo, "logo.bmp", "a logo", check);
  if (!bytes) return;
  // setup.exe shows no logo at all rather than a broken one, so refuse it here.
  if (const std::string problem = bmp_problem(*bytes); !problem.empty()) {
    check.errors.push_back("logo.bmp " + problem);
    return;
  }
  check.product.logo = absolute_path(logo);
  check.product.logo_digest = fnv1a64(*bytes);
}

void check_icon(const fs::path& own, const fs::path& default_icon, ProductCheck& check) {
  std::error_code ec;
  const bool has_own = fs::exists(own, ec);
  if (!has_own && default_icon.empty()) {
    check.errors.push_back("has no icon.ico and no default icon was given (--default-icon)");
    return;
  }
  const fs::path icon = has_own ? own : default_icon;
  const std::string name = has_own ? "icon.ico" : "the default icon " + default_icon.string();
  if (!is_file(icon)) {
    check.errors.push_back(name + " is not a file");
    return;
  }
  const auto bytes = read_image(icon, name, "an icon", check);
  if (!bytes) return;
  // ICONDIR: reserved 0, type 1, the image count; then 16 bytes per image.
  const bool valid = bytes->size() >= 6 && le16(*bytes, 0) == 0 && le16(*bytes, 2) == 1 && le16(*bytes, 4) != 0 &&
                     bytes->size() >= 6u + 16u * le16(*bytes, 4);
  if (!valid) {
    check.errors.push_back(name + " is not a Windows icon file");
    return;
  }
  check.product.icon = absolute_path(icon);
  check.product.icon_digest = fnv1a64(*bytes);
}

