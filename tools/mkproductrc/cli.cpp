#include "tools/mkproductrc/cli.h"

#include <filesystem>

#include "tools/mkproductrc/product.h"
#include "tools/mkproductrc/product_rc.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* usage_text =
    "usage: mkproductrc PRODUCT_DIR OUTPUT.rc [--default-icon PATH] [--uninstallers LIST] [--release-info JSON]\n"
    "Checks a product folder (product.ini, logo.bmp, optional icon.ico, files/) and writes\n"
    "the resource script of its texts, logo and icon. PATH is the icon used when the\n"
    "product has no icon.ico. LIST gets the uninstaller_path of each language, one per\n"
    "line, relative to files/. JSON gets what the winget manifests take from the product.\n";

int usage(std::ostream& err, const std::string& problem) {
  err << "mkproductrc: " << problem << '\n' << usage_text;
  return mkproductrc_usage;
}

}  // namespace

int run_mkproductrc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  fs::path default_icon;
  fs::path uninstallers;
  fs::path release_info;
  std::vector<std::string> operands;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << usage_text;
      return mkproductrc_ok;
    } else if (arg == "--default-icon") {
      if (i + 1 == args.size() || args[i + 1].empty()) return usage(err, "--default-icon needs a path");
      default_icon = args[++i];
    } else if (arg == "--uninstallers") {
      if (i + 1 == args.size() || args[i + 1].empty()) return usage(err, "--uninstallers needs a path");
      uninstallers = args[++i];
    } else if (arg == "--release-info") {
      if (i + 1 == args.size() || args[i + 1].empty()) return usage(err, "--release-info needs a path");
      release_info = args[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usage(err, "unknown option " + arg);
    } else {
      operands.push_back(arg);
    }
  }
  if (operands.size() != 2) return usage(err, "expected a product folder and an output file");
  const fs::path dir = operands[0];
  const fs::path output = operands[1];

  const ProductCheck check = load_product(dir, default_icon);
  for (const auto& warning : check.warnings) err << "mkproductrc: " << dir.string() << ": warning: " << warning << '\n';
  std::string failure;
  if (check.ok()) {
    failure = write_product_rc(check.product, output);
    if (failure.empty() && !uninstallers.empty()) failure = write_uninstaller_list(check.product, uninstallers);
    if (failure.empty() && !release_info.empty()) failure = write_release_info(check.product, release_info);
  } else {
    for (const auto& error : check.errors) err << "mkproductrc: " << dir.string() << ": " << error << '\n';
  }
  if (!check.ok() || !failure.empty()) {
    if (!failure.empty()) err << "mkproductrc: " << failure << '\n';
    // A script from an earlier run must not pass for this product's.
    std::error_code ignored;
    if (!fs::is_directory(output, ignored)) fs::remove(output, ignored);
    err << "mkproductrc: nothing was written\n";
    return mkproductrc_refused;
  }
  out << "mkproductrc: wrote " << output.string() << '\n';
  return mkproductrc_ok;
}
