// The resources of the built setup.exe against the numbers and texts they
// must hold: the eleven tables byte for byte, the captions and product texts
// as LoadStringA hands them over (Windows-1252), and every row of the three
// dialog templates.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "e2e_paths.h"
#include "ui/gui_resources.h"
#include "ui/tests/expected_tables.h"

namespace {

class SetupResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(e2e_sample_setup, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << e2e_sample_setup << " error " << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  std::string string(int id) {
    char buffer[1000] = {};
    LoadStringA(module_, static_cast<UINT>(id), buffer, sizeof buffer);
    return buffer;
  }
  std::string resource(const char* name, LPCSTR type) {
    HRSRC info = FindResourceA(module_, name, type);
    if (!info) return {};
    const void* data = LockResource(LoadResource(module_, info));
    return std::string(static_cast<const char*>(data), SizeofResource(module_, info));
  }
  HMODULE module_ = nullptr;
};

TEST_F(SetupResources, TablesHoldExactlyTheirStoredBytes) {
  for (const expected::Table& t : expected::tables()) {
    const std::string stored = resource(t.name, MAKEINTRESOURCEA(t.type));
    EXPECT_EQ(stored, expected::bytes(t.ints, t.stored_size)) << t.name;
    // The loader finds them by name and type, whatever the letter case.
    std::string lower = t.name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(load_table(module_, lower.c_str(), t.type).size(), t.stored_size) << t.name;
  }
  for (const expected::Startup& s : expected::startups) {
    const expected::Ints ints = expected::startup_ints(s);
    EXPECT_EQ(resource(s.name, MAKEINTRESOURCEA(1003)), expected::bytes(ints, ints.size() * 4)) << s.name;
  }
}

TEST_F(SetupResources, StringsAreTheWindows1252Texts) {
  for (const expected::Caption& c : expected::captions()) {
    EXPECT_EQ(string(c.id), c.english) << c.id;
    EXPECT_EQ(string(c.id + 1000), c.german) << c.id + 1000;
  }
  // The product's texts (examples/quasarine/product.ini).
  const char* product[7][2] = {
      {"Quasarine_II", "Quasarine_II"},
      {"\\exebin\\quasarine2.exe", "\\exebin\\quasarine2.exe"},
      {"\\uninst\\uninstall.exe", "\\uninst\\uninstall.exe"},
      {"Quasarine II", "Quasarine II"},
      {"Uninstall Quasarine", "Quasarine II l\xF6schen"},
      {nullptr, nullptr},
      {nullptr, nullptr},
  };
  for (int i = 0; i < 7; ++i) {
    if (!product[i][0]) {
      EXPECT_FALSE(string(2000 + i).empty());
      EXPECT_FALSE(string(3000 + i).empty());
      continue;
    }
    EXPECT_EQ(string(2000 + i), product[i][0]);
    EXPECT_EQ(string(3000 + i), product[i][1]);
  }
  EXPECT_FALSE(resource("LOGOBMP", RT_BITMAP).empty());
  EXPECT_FALSE(resource("APPICON", RT_GROUP_ICON).empty());
}

// The sample's [Release] as Explorer's properties show it, in both programs,
// and the two texts setup.exe writes into the entry.
TEST_F(SetupResources, VersionResourceNamesProductVersionAndPublisher) {
  EXPECT_EQ(string(2100), "1.2.0");
  EXPECT_EQ(string(2101), "Lantern Works");
  for (const auto& [program, description] : {std::pair<const char*, const char*>{e2e_sample_setup, "Quasarine II Setup"},
                                             {e2e_sample_uninstaller, "Uninstall Quasarine"}}) {
    SCOPED_TRACE(program);
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(program, &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(program, 0, static_cast<DWORD>(info.size()), info.data()));
    const auto query = [&](const std::string& path) -> std::string {
      void* value = nullptr;
      UINT size = 0;
      if (!VerQueryValueA(info.data(), path.c_str(), &value, &size) || !value) return "(none)";
      return path == "\\" ? std::string(static_cast<const char*>(value), size) : static_cast<const char*>(value);
    };
    const std::string fixed = query("\\");
    ASSERT_EQ(fixed.size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO numbers;
    std::memcpy(&numbers, fixed.data(), sizeof numbers);
    EXPECT_EQ(numbers.dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(numbers.dwFileVersionLS, 0u);
    EXPECT_EQ(numbers.dwProductVersionMS, 0x00010002u);
    const std::string block = "\\StringFileInfo\\040904B0\\";
    EXPECT_EQ(query(block + "ProductName"), "Quasarine II");
    EXPECT_EQ(query(block + "ProductVersion"), "1.2.0");
    EXPECT_EQ(query(block + "FileVersion"), "1.2.0");
    EXPECT_EQ(query(block + "CompanyName"), "Lantern Works");
    EXPECT_EQ(query(block + "FileDescription"), description);
  }
}

// A dialog template read back: the dialog and its rows in template order.
struct Row {
  int id;
  std::string cls;
  unsigned style;
  int x, y, w, h;
  std::string text;
  bool operator==(const Row& o) const {
    return id == o.id && cls == o.cls && style == o.style && x == o.x && y == o.y && w == o.w && h == o.h &&
           text == o.text;
  }
};
std::ostream& operator<<(std::ostream& out, const Row& r) {
  return out << r.id << " " << r.cls << " 0x" << std::hex << r.style << std::dec << " " << r.x << "," << r.y << ","
             << r.w << "," << r.h << " \"" << r.text << "\"";
}

struct Template {
  bool extended = false;
  unsigned style = 0;
  int x = 0, y = 0, w = 0, h = 0;
  std::string caption, font;
  int points = 0;
  std::vector<Row> rows;
};

class Reader {
 public:
  explicit Reader(const std::string& bytes) : b_(bytes) {}
  unsigned word() {
    unsigned v = at(p_) | at(p_ + 1) << 8;
    p_ += 2;
    return v;
  }
  unsigned dword() { return word() | word() << 16; }
  int sword() { return static_cast<short>(word()); }
  void align() { p_ = (p_ + 3) & ~std::size_t{3}; }
  // A string, or an ordinal as "#n", or "" for none; UTF-16 kept to its low bytes.
  std::string text() {
    const unsigned first = word();
    if (first == 0xFFFF) return "#" + std::to_string(word());
    std::string s;
    for (unsigned c = first; c != 0; c = word()) s += static_cast<char>(c);
    return s;
  }
  bool done() const { return p_ >= b_.size(); }

 private:
  unsigned at(std::size_t i) const { return i < b_.size() ? static_cast<unsigned char>(b_[i]) : 0; }
  const std::string& b_;
  std::size_t p_ = 0;
};

std::string class_name(std::string cls) {
  const char* atoms[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
  for (int i = 0; i < 6; ++i) {
    if (cls == "#" + std::to_string(0x80 + i)) return atoms[i];
  }
  for (char& c : cls) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return cls;
}

Template parse_template(const std::string& bytes) {
  Template t;
  Reader r(bytes);
  t.extended = r.word() == 1 && r.word() == 0xFFFF;
  Reader in(bytes);
  unsigned count = 0;
  if (t.extended) {
    in.dword();  // version, signature
    in.dword();  // help id
    in.dword();  // extended style
    t.style = in.dword();
  } else {
    t.style = in.dword();
    in.dword();
  }
  count = in.word();
  t.x = in.sword(), t.y = in.sword(), t.w = in.sword(), t.h = in.sword();
  in.text();  // menu
  in.text();  // class
  t.caption = in.text();
  if (t.style & DS_SETFONT) {
    t.points = static_cast<int>(in.word());
    if (t.extended) {
      in.word();  // weight
      in.word();  // italic, charset
    }
    t.font = in.text();
  }
  for (unsigned i = 0; i < count; ++i) {
    in.align();
    Row row{};
    if (t.extended) {
      in.dword();  // help id
      in.dword();  // extended style
      row.style = in.dword();
    } else {
      row.style = in.dword();
      in.dword();
    }
    row.x = in.sword(), row.y = in.sword(), row.w = in.sword(), row.h = in.sword();
    row.id = static_cast<int>(t.extended ? in.dword() : in.word());
    row.cls = class_name(in.text());
    row.text = in.text();
    const unsigned extra = in.word();
    for (unsigned k = 0; k < (extra + 1) / 2; ++k) in.word();
    t.rows.push_back(row);
  }
  return t;
}

TEST_F(SetupResources, DialogTemplatesHaveEveryRowInOrder) {
  struct Expect {
    int id;
    bool extended;
    unsigned style;
    int x, y, w, h;
    const char* caption;
    std::vector<Row> rows;
  };
  const unsigned dialog_style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
  const Expect dialogs[] = {
      {276, true, dialog_style, 20, 10, 250, 245, "Quasarine II - Installation - Select Language",
       {{278, "BUTTON", 0x50000007, 10, 5, 230, 115, "Quasarine II"},
        {277, "STATIC", 0x5000020E, 15, 15, 220, 100, "LOGOBMP"},
        {279, "STATIC", 0x50020000, 86, 154, 80, 34, "Install the Game in one of these languages."},
        {280, "BUTTON", 0x50020007, 10, 130, 220, 60, "Language"},
        {295, "BUTTON", 0x50010000, 20, 145, 40, 14, "English"},
        {296, "BUTTON", 0x50010000, 20, 165, 40, 14, "Deutsch"},
        {297, "BUTTON", 0x50000007, 90, 200, 70, 35, "No install"},
        {298, "BUTTON", 0x50010000, 105, 215, 40, 15, "Exit"}}},
      {299, true, dialog_style, 20, 10, 250, 245, "Quasarine II - Installation - Path Selection",
       {{300, "BUTTON", 0x50000007, 5, 10, 240, 49, "Path for installing executables"},
        {301, "BUTTON", 0x50002006, 10, 20, 12, 12, ""},
        {302, "EDIT", 0x50810080, 25, 20, 215, 12, ""},
        {303, "BUTTON", 0x50010006, 10, 40, 12, 12, ""},
        {304, "EDIT", 0x50810080, 25, 40, 150, 12, ""},
        {305, "BUTTON", 0x50010000, 185, 40, 50, 12, "Browse"},
        {306, "BUTTON", 0x50000007, 5, 63, 240, 130, "Startmenu settings"},
        {307, "COMBOBOX", 0x50200100, 120, 89, 120, 90, ""},
        {308, "BUTTON", 0x50010006, 10, 85, 105, 12, "Install for Admin only"},
        {309, "BUTTON", 0x50010006, 10, 100, 105, 12, "Create Desktop Icon"},
        {310, "BUTTON", 0x50010006, 10, 115, 105, 12, "System Add/Remove Prog."},
        {311, "BUTTON", 0x50010006, 10, 130, 105, 12, "Startmenu Uninstall"},
        {312, "BUTTON", 0x50010006, 10, 145, 105, 12, "Hide Uninstall for Users"},
        {313, "BUTTON", 0x50010006, 10, 160, 105, 12, "Vista Game Explorer (legacy)"},
        {314, "BUTTON", 0x50010006, 10, 175, 240, 12, "Vista Game Explorer (native Vista, UNTESTED!!!)"},
        {315, "BUTTON", 0x50010006, 10, 200, 150, 12, "No data sharing between users"},
        {316, "BUTTON", 0x50010006, 10, 215, 150, 12, "No Registry Updates"},
        {317, "BUTTON", 0x50010006, 10, 230, 150, 12, "No Startmenu Entry"},
        {318, "STATIC", 0x50020002, 10, 72, 230, 16, "Start/Programme/some_Gamingdir/Quasarine/"},
        {319, "BUTTON", 0x50010000, 170, 200, 70, 12, "Reset to Defaults"},
        {320, "BUTTON", 0x50010000, 170, 217, 70, 23, "OK"}}},
      {7777, false, 0x80C820C4, 36, 24, 210, 140, "Open",
       {{1090, "STATIC", 0x50020000, 6, 6, 76, 9, ""},
        {1152, "EDIT", 0x50810480, 6, 16, 0, 0, ""},
        {1120, "LISTBOX", 0x50A11053, 6, 32, 0, 0, ""},
        {1089, "STATIC", 0x50020000, 6, 104, 0, 0, "List files of &type:"},
        {1136, "COMBOBOX", 0x50210043, 6, 114, 0, 0, ""},
        {65535, "STATIC", 0x50020000, 10, 6, 130, 9, "&Folder:"},
        {1088, "STATIC", 0x50000080, 10, 16, 130, 9, ""},
        {1121, "LISTBOX", 0x50A11053, 10, 32, 190, 68, ""},
        {1091, "STATIC", 0x50020000, 10, 104, 130, 9, "Dri&ves:"},
        {1137, "COMBOBOX", 0x50210353, 10, 114, 130, 68, ""},
        {1, "BUTTON", 0x50030001, 150, 106, 50, 12, "OK"},
        {2, "BUTTON", 0x50030000, 150, 120, 50, 12, "Cancel"},
        {1038, "BUTTON", 0x50030000, 212, 46, 50, 14, "&Help"},
        {1040, "BUTTON", 0x50030003, 212, 68, 50, 12, "&Read only"}}},
  };
  for (const Expect& e : dialogs) {
    const Template t = parse_template(resource(MAKEINTRESOURCEA(e.id), RT_DIALOG));
    SCOPED_TRACE("template " + std::to_string(e.id));
    EXPECT_EQ(t.extended, e.extended);
    EXPECT_EQ(t.style, e.style);
    EXPECT_EQ(t.x, e.x);
    EXPECT_EQ(t.y, e.y);
    EXPECT_EQ(t.w, e.w);
    EXPECT_EQ(t.h, e.h);
    EXPECT_EQ(t.caption, e.caption);
    EXPECT_EQ(t.font, "MS Sans Serif");
    EXPECT_EQ(t.points, 10);
    ASSERT_EQ(t.rows.size(), e.rows.size());
    for (std::size_t i = 0; i < e.rows.size(); ++i) EXPECT_EQ(t.rows[i], e.rows[i]) << "row " << i;
  }
}

}  // namespace
