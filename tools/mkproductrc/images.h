#pragma once
// The product's logo and icon: read whole, up to a limit, and checked as
// far as their headers promise, so that setup.exe never carries an image it
// cannot show.

#include <filesystem>

#include "tools/mkproductrc/product.h"

// logo.bmp: a Windows bitmap whose headers and data agree. Sets the
// product's logo and its digest, or adds the problem to check.errors.
void check_logo(const std::filesystem::path& logo, ProductCheck& check);

// icon.ico, or default_icon (may be empty) when the product has none: a
// Windows icon file. Sets the product's icon and its digest, or adds the
// problem to check.errors.
void check_icon(const std::filesystem::path& own, const std::filesystem::path& default_icon, ProductCheck& check);
