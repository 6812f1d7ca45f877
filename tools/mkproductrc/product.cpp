#include "tools/mkproductrc/product.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>

#include "tools/mkproductrc/ini.h"
#include "tools/mkproductrc/text_rules.h"

namespace fs = std::filesystem;

namespace {

bool same_name(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

template <typename Names>
std::optional<std::size_t> index_of(const Names& names, std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (same_name(names[i], name)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> read_text_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return text;
}

// The first bytes of a file, or nothing when it cannot be read.
std::optional<std::string> read_head(const fs::path& path, std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string head(count, '\0');
  in.read(head.data(), static_cast<std::streamsize>(count));
  head.resize(static_cast<std::size_t>(in.gcount()));
  return head;
}

fs::path absolute_path(const fs::path& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  return (ec ? path : absolute).lexically_normal();
}

bool is_file(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

struct IniValue {
  std::string text;
  int line = 0;  // 0: the key is missing
};
using SectionValues = std::array<IniValue, product_keys.size()>;

// product.ini: sorts the entries into the two languages and checks each text.
class IniCheck {
 public:
  IniCheck(ProductCheck& check, const fs::path& files) : check_(check), files_(files) {}

  void run(const IniDocument& doc) {
    for (const auto& entry : doc.loose)
      warn(entry.line, "\"" + entry.key + "\" stands before any section and is ignored");
    std::array<bool, product_languages.size()> seen{};
    for (const auto& section : doc.sections) {
      std::optional<std::size_t> language;
      for (std::size_t i = 0; i < product_languages.size(); ++i) {
        if (same_name(product_languages[i].section, section.name)) language = i;
      }
      if (!language) {
        warn(section.line, "unknown section [" + section.name + "] is ignored (known: [English], [German])");
        continue;
      }
      seen[*language] = true;
      collect(section, values_[*language], product_languages[*language].section);
    }
    for (std::size_t i = 0; i < product_languages.size(); ++i) {
      if (!seen[i]) {
        fail(0, "has no [" + std::string(product_languages[i].section) + "] section");
        continue;
      }
      check_language(values_[i], check_.product.languages[i], product_languages[i].section);
    }
  }

 private:
  void collect(const IniSection& section, SectionValues& values, std::string_view language) {
    for (const auto& entry : section.entries) {
      const auto key = index_of(product_keys, entry.key);
      if (!key) {
        warn(entry.line, "unknown key \"" + entry.key + "\" in [" + std::string(language) + "] is ignored");
        continue;
      }
      IniValue& value = values[*key];
      if (value.line != 0) {
        fail(entry.line, "[" + std::string(language) + "] " + std::string(product_keys[*key]) +
                             " is given twice (first on line " + std::to_string(value.line) + ")");
        continue;
      }
      value = {entry.value, entry.line};
    }
  }

  void check_language(const SectionValues& values, ProductTexts& texts, std::string_view language) {
    for (std::size_t key = 0; key < product_keys.size(); ++key) {
      const IniValue& value = values[key];
      const std::string what = "[" + std::string(language) + "] " + std::string(product_keys[key]);
      if (value.line == 0) {
        fail(0, what + " is missing");
        continue;
      }
      if (value.text.empty()) {
        fail(value.line, what + " is empty");
        continue;
      }
      if (value.text.size() >= 2 && value.text.front() == '"' && value.text.back() == '"')
        warn(value.line, what + " is in quotes, which stay part of the text");
      const std::size_t limit = key == key_product_folder ? max_product_folder_bytes : max_text_bytes;
      const ProgramText text = to_program_text(value.text, limit);
      if (!text.ok()) {
        fail(value.line, what + " " + text.problem);
        continue;
      }
      const std::string problem = rule_problem(static_cast<ProductKey>(key), value.text, text.bytes);
      if (!problem.empty()) {
        fail(value.line, what + " " + problem);
        continue;
      }
      texts.utf8[key] = value.text;
    }
  }

  std::string rule_problem(ProductKey key, const std::string& utf8, const std::string& cp1252) const {
    switch (key) {
      case key_product_folder:
        return folder_name_problem(cp1252);
      case key_product_title:
      case key_uninstall_title:
        return link_title_problem(cp1252);
      case key_game_exe_path:
      case key_uninstaller_path: {
        if (auto problem = installed_path_problem(cp1252); !problem.empty()) return problem;
        return payload_file_problem(utf8);
      }
      default:
        return {};
    }
  }

  // The file must travel in the payload. files/ itself is checked by the caller.
  std::string payload_file_problem(std::string utf8) const {
    if (files_.empty()) return {};
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
    const fs::path file = files_ / utf8.substr(1);
    std::error_code ec;
    if (fs::is_directory(file, ec)) return "names a folder below files/, not a file";
    if (!is_file(file)) return "names no file below files/ (looked for " + file.string() + ")";
    return {};
  }

  void fail(int line, const std::string& problem) { check_.errors.push_back(where(line) + problem); }
  void warn(int line, const std::string& problem) { check_.warnings.push_back(where(line) + problem); }
  static std::string where(int line) {
    return line == 0 ? "product.ini: " : "product.ini line " + std::to_string(line) + ": ";
  }

  ProductCheck& check_;
  fs::path files_;  // empty when the product has no files/
  std::array<SectionValues, product_languages.size()> values_{};
};

void check_logo(const fs::path& logo, ProductCheck& check) {
  if (!is_file(logo)) {
    check.errors.push_back("has no logo.bmp (the logo the dialogs show)");
    return;
  }
  // A BITMAPFILEHEADER and at least the smallest info header.
  const auto head = read_head(logo, 26);
  if (!head || head->size() < 26 || head->compare(0, 2, "BM") != 0) {
    check.errors.push_back("logo.bmp is not a BMP file (it does not start with \"BM\")");
    return;
  }
  check.product.logo = absolute_path(logo);
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
  // ICONDIR: reserved 0, type 1, the image count; then 16 bytes per image.
  const auto head = read_head(icon, 6);
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>((*head)[i]); };
  const std::uintmax_t size = fs::file_size(icon, ec);
  const bool valid = head && head->size() == 6 && byte(0) == 0 && byte(1) == 0 && byte(2) == 1 && byte(3) == 0 &&
                     (byte(4) | byte(5)) != 0 && !ec && size >= 6u + 16u * (byte(4) | (byte(5) << 8));
  if (!valid) {
    check.errors.push_back(name + " is not a Windows icon file");
    return;
  }
  check.product.icon = absolute_path(icon);
}

}  // namespace

ProductCheck load_product(const fs::path& dir, const fs::path& default_icon) {
  ProductCheck check;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) {
    check.errors.push_back("is not a folder");
    return check;
  }

  const fs::path files = dir / "files";
  const bool has_files = fs::is_directory(files, ec);
  if (!has_files) check.errors.push_back("has no files/ folder (what gets installed)");

  const fs::path ini_path = dir / "product.ini";
  const auto ini_text = is_file(ini_path) ? read_text_file(ini_path) : std::nullopt;
  if (!ini_text) {
    check.errors.push_back("has no readable product.ini (the product's texts)");
  } else {
    const IniDocument doc = parse_ini(*ini_text);
    if (!doc.ok()) {
      check.errors.push_back("product.ini " + doc.error);
    } else {
      IniCheck(check, has_files ? files : fs::path()).run(doc);
    }
  }

  check_logo(dir / "logo.bmp", check);
  check_icon(dir / "icon.ico", default_icon, check);
  return check;
}
