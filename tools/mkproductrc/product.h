#pragma once
// A product folder as a maker hands it in: product.ini with the texts of both
// languages, logo.bmp, an optional icon.ico and files/ (the payload, packed
// by mkfileset). load_product checks everything setup.exe relies on and
// collects every problem, so the maker can fix them in one go.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The keys of each language section, in the order of their string ids.
inline constexpr std::array<std::string_view, 7> product_keys = {
    "product_folder", "game_exe_path",     "uninstaller_path", "product_title",
    "uninstall_title", "game_comment", "uninstall_comment",
};
enum ProductKey : std::size_t {
  key_product_folder, key_game_exe_path, key_uninstaller_path, key_product_title,
  key_uninstall_title, key_game_comment, key_uninstall_comment,
};

struct ProductLanguage {
  std::string_view section;
  int first_string_id;  // the string id of product_folder; the other keys follow
};
inline constexpr std::array<ProductLanguage, 2> product_languages = {{{"English", 2000}, {"German", 3000}}};

// The texts as written in product.ini; each has passed the checks, so it has
// a Windows-1252 form.
struct ProductTexts {
  std::array<std::string, product_keys.size()> utf8;
};

// The optional section [Release], the same for both languages: the version
// and publisher Windows shows (the version resource, the Add/Remove Programs
// entry) and the license the winget manifests name. All empty without it.
inline constexpr std::string_view release_section = "Release";
inline constexpr std::array<std::string_view, 3> release_keys = {"product_version", "publisher", "license"};
enum ReleaseKey : std::size_t { key_product_version, key_publisher, key_license };
// The license when [Release] names none: a game is sold, not shared.
inline constexpr std::string_view default_license = "Proprietary";

struct ProductRelease {
  std::array<std::string, release_keys.size()> utf8;  // as written; each passed the checks

  bool present() const { return !utf8[key_product_version].empty(); }
  const std::string& version() const { return utf8[key_product_version]; }
  const std::string& publisher() const { return utf8[key_publisher]; }
  const std::string& license() const { return utf8[key_license]; }
};

struct Product {
  std::array<ProductTexts, product_languages.size()> languages;  // in the order of product_languages
  ProductRelease release;
  std::filesystem::path logo;  // absolute
  std::filesystem::path icon;  // absolute: the product's icon.ico or the default icon
  // Digests of the whole image files. A copy that keeps the file time (cp -p)
  // still changes them, and with them the script.
  std::uint64_t logo_digest = 0;
  std::uint64_t icon_digest = 0;
};

struct ProductCheck {
  Product product;
  std::vector<std::string> errors;    // each names the file, and the line or key, and the problem
  std::vector<std::string> warnings;  // unknown sections and keys

  bool ok() const { return errors.empty(); }
};

// The 64-bit FNV-1a digest of bytes: not for security, only to notice a change.
std::uint64_t fnv1a64(std::string_view bytes);

// Images are read whole; a logo or icon is far smaller than this.
inline constexpr std::size_t max_image_bytes = std::size_t{32} << 20;

// default_icon is used when the product has no icon.ico; it may be empty.
ProductCheck load_product(const std::filesystem::path& dir, const std::filesystem::path& default_icon);

// The longest texts the program takes: its strings are short strings of at
// most 255 characters. product_folder is shorter because the journal record of
// the registration, "APP:" + folder + "__at__" + 32 digits, is one too, and the
// uninstaller finds the registry entry only through the uncut record.
inline constexpr std::size_t max_text_bytes = 255;
inline constexpr std::size_t max_product_folder_bytes = 255 - 4 - 6 - 32;
