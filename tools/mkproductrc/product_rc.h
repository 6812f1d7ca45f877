#pragma once
// The resource script of a product: its texts as string ids 2000-2006
// (English) and 3000-3006 (German), the bitmap LOGOBMP and the icon group
// APPICON, with digests of the two images in comments. setup.rc includes
// it; it is UTF-8 under "#pragma code_page(65001)", so windres stores each
// text as UTF-16 and LoadStringA hands the program the Windows-1252 bytes.

#include <filesystem>
#include <string>
#include <string_view>

#include "resources/resource_ids.h"
#include "tools/mkproductrc/product.h"

// A UTF-8 text as an rc string literal that windres reads back unchanged:
// windres decodes C escapes, so "\" becomes "\\" (a lone "\x" would even turn
// into a NUL); a quote is doubled; control characters become three-digit
// octal escapes. The doubled quote also keeps the preprocessor, which runs
// first, inside string literals, so no word of the text can be taken for a macro.
std::string rc_quote(std::string_view utf8);

// The VERSIONINFO block of a product with [Release]: product name (English
// title), version, publisher, and PROGRAM_DESCRIPTION, which the including
// script defines as SETUP_DESCRIPTION or UNINSTALL_DESCRIPTION.
std::string version_resource_text(const Product& product);

// The whole script for a product that passed load_product.
std::string product_rc_text(const Product& product);

// Writes the script through a temporary file in the same folder, so a reader
// never sees half a script. Returns an empty string or the problem.
std::string write_product_rc(const Product& product, const std::filesystem::path& output);

// The uninstaller_path of each language, relative to files/ (no leading "\"),
// each once, a line each: where the build puts the project's uninstaller
// when files/ has none.
std::string uninstaller_list_text(const Product& product);
std::string write_uninstaller_list(const Product& product, const std::filesystem::path& output);

// What the winget manifests take from the product, as a JSON object of UTF-8
// strings: the English product_folder, product_title and game_comment, and
// [Release]'s three keys (empty without the section).
std::string release_info_text(const Product& product);
std::string write_release_info(const Product& product, const std::filesystem::path& output);
