#include "tools/mkproductrc/product.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

#include "tools/mkproductrc/images.h"
#include "tools/mkproductrc/ini.h"
#include "tools/mkproductrc/product_paths.h"
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
      if (!language && same_name(release_section, section.name)) {
        release_line_ = release_line_ != 0 ? release_line_ : section.line;
        collect_release(section);
        continue;
      }
      if (!language) {
        warn(section.line, "unknown section [" + section.name + "] is ignored (known: [English], [German], [Release])");
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
    if (release_line_ != 0) check_release();
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

  void collect_release(const IniSection& section) {
    for (const auto& entry : section.entries) {
      const auto key = index_of(release_keys, entry.key);
      if (!key) {
        warn(entry.line, "unknown key \"" + entry.key + "\" in [Release] is ignored");
        continue;
      }
      IniValue& value = release_[*key];
      if (value.line != 0) {
        fail(entry.line, "[Release] " + std::string(release_keys[*key]) + " is given twice (first on line " +
                             std::to_string(value.line) + ")");
        continue;
      }
      value = {entry.value, entry.line};
    }
  }

  // Version and publisher go together: the entry and winget match a program
  // by both. The license only names the terms in the winget manifests.
  void check_release() {
    ProductRelease release;
    bool ok = true;
    for (std::size_t key = 0; key < release_keys.size(); ++key) {
      const IniValue& value = release_[key];
      const std::string what = "[Release] " + std::string(release_keys[key]);
      if (value.line == 0 && key == key_license) {
        release.utf8[key] = std::string(default_license);
        continue;
      }
      std::string problem;
      if (value.line == 0) {
        problem = "is missing (a [Release] section gives both product_version and publisher)";
      } else if (value.text.empty()) {
        problem = "is empty";
      } else if (const ProgramText text = to_program_text(value.text, max_text_bytes); !text.ok()) {
        problem = text.problem;
      } else if (key == key_product_version) {
        problem = version_problem(value.text);
      }
      if (!problem.empty()) {
        fail(value.line == 0 ? release_line_ : value.line, what + " " + problem);
        ok = false;
        continue;
      }
      release.utf8[key] = value.text;
    }
    if (ok) check_.product.release = std::move(release);
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
        if (auto problem = link_title_problem(cp1252); !problem.empty()) return problem;
        return taken_place_problem(utf8 + ".lnk", "the link setup.exe makes in the installation folder");
      case key_game_exe_path:
        if (auto problem = installed_path_problem(cp1252); !problem.empty()) return problem;
        return payload_file_problem(utf8);
      case key_uninstaller_path: {
        if (auto problem = installed_path_problem(cp1252); !problem.empty()) return problem;
        // Where files/ has none, build-setup puts the project's uninstaller.
        if (auto problem = payload_file_problem(utf8, true); !problem.empty()) return problem;
        const std::string folder = utf8.substr(1, utf8.find_last_of('\\'));
        if (auto problem = taken_place_problem(folder + "log_inst.dat", "the journal setup.exe writes");
            !problem.empty()) {
          return problem;
        }
        return taken_place_problem(folder + "log_backup.dat", "the backup list setup.exe writes");
      }
      default:
        return {};
    }
  }

  // The file must travel in the payload (or may be missing, when the build
  // adds it). files/ itself is checked by the caller.
  std::string payload_file_problem(std::string utf8, bool may_be_missing = false) const {
    if (files_.empty()) return {};
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
    const fs::path file = files_ / utf8.substr(1);
    std::error_code ec;
    if (fs::is_directory(file, ec)) return "names a folder below files/, not a file";
    if (!may_be_missing && !is_file(file)) return "names no file below files/ (looked for " + file.string() + ")";
    return {};
  }

  // setup.exe writes a file of its own there; one in files/ would be refused
  // by setup.exe as a damaged payload, so the maker hears of it now.
  std::string taken_place_problem(std::string utf8, const std::string& what) const {
    if (files_.empty()) return {};
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
    std::error_code ec;
    if (!fs::exists(files_ / utf8, ec)) return {};
    return "makes files/" + utf8 + " the place of " + what + "; rename or remove that file";
  }

  void fail(int line, const std::string& problem) { check_.errors.push_back(where(line) + problem); }
  void warn(int line, const std::string& problem) { check_.warnings.push_back(where(line) + problem); }
  static std::string where(int line) {
    return line == 0 ? "product.ini: " : "product.ini line " + std::to_string(line) + ": ";
  }

  ProductCheck& check_;
  fs::path files_;  // empty when the product has no files/
  std::array<SectionValues, product_languages.size()> values_{};
  std::array<IniValue, release_keys.size()> release_{};
  int release_line_ = 0;  // the [Release] header; 0 without one
};

}  // namespace

std::uint64_t fnv1a64(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  return hash;
}

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
