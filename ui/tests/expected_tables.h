#pragma once
// The contents the dialog tables must have, written out independently of
// resources/gui.rc: the model tests run on them, and the resource test
// compares the compiled program's tables with them byte for byte.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace expected {

using Ints = std::vector<std::int32_t>;

struct Table {
  const char* name;
  int type;
  Ints ints;
  std::size_t stored_size;  // bytes; a short terminator makes it smaller than 4 * ints
};

inline const std::vector<Table>& tables() {
  static const std::vector<Table> all = {
      {"DLGNUMS", 1001, {276, 299, 0}, 12},
      {"GUIWORDS", 1001, {2007, 300, 305, 306, 308, 309, 310, 311, 312, 313, 314, 315, 316, 317, 319, 320, 0, 0, 0}, 76},
      {"LANGNUMS", 1002, {298, 0, 296, 1000, 295, 0, 294, 0, 293, 0, 292, 0, 291, 0, 290, 0, 0, 0}, 72},
      {"SUCESSITEMS", 1002, {299, 320, 276, 281, 276, 293, 276, 294, 276, 295, 276, 296, 0, 0}, 56},
      {"NOSUCESSITEMS", 1002, {276, 298, 0, 0}, 16},
      // Two triples, a zero first field and six more zero bytes: 34 bytes.
      {"DLGITEMS", 1003, {276, 277, 298, 299, 300, 320, 0, 0}, 34},
      {"GUIDISABELERS0", 1003,
       {299, 316, 314, 299, 316, 313, 299, 316, 310, 299, 317, 311, 299, 317, 307, 299, 317, 318, 299, 301, 302,
        299, 303, 304, 0, 0, 0},
       108},
      {"GUIDISABELERS1", 1003, {299, 315, 308, 0, 0, 0}, 24},
  };
  return all;
}

// Start values of controls 301, 303, 308 ... 318 for each table.
constexpr int startup_controls[13] = {301, 303, 308, 309, 310, 311, 312, 313, 314, 315, 316, 317, 318};
struct Startup {
  const char* name;
  std::int32_t admin_level;
  int values[13];
};
constexpr Startup startups[3] = {
    {"GUIADMINSTARTUPBOOLS", 1, {1, 0, 0, 0, 1, 1, 1, 2, 2, 0, 0, 0, 0}},
    {"GUIUSERSTARTUPBOOLS", -1, {1, 0, 3, 0, 0, 1, 2, 2, 2, 0, 3, 0, 0}},
    {"GUIMAYBEADMINSTARTUPBOOLS", 0, {2, 2, 1, 0, 1, 1, 2, 2, 2, 3, 0, 0, 0}},
};

inline Ints startup_ints(const Startup& s) {
  Ints ints;
  for (int i = 0; i < 13; ++i) ints.insert(ints.end(), {299, startup_controls[i], s.values[i]});
  ints.insert(ints.end(), {0, 0, 0});
  return ints;
}

// The stored bytes of a table: its integers little-endian, cut to its size.
inline std::string bytes(const Ints& ints, std::size_t size) {
  std::string b;
  for (const std::int32_t v : ints) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int k = 0; k < 4; ++k) b += static_cast<char>((u >> (8 * k)) & 0xFF);
  }
  b.resize(size, '\0');
  return b;
}

// The captions: string id, English, German (Windows-1252 bytes).
struct Caption {
  int control;
  int id;
  const char* english;
  const char* german;
};
inline const std::vector<Caption>& captions() {
  static const std::vector<Caption> all = {
      {300, 2007, "Path for installing executables", "Pfad f\xFCr Programmdateien"},
      {305, 2008, "Browse", "Browsen"},
      {306, 2009, "Startmenu settings", "Start-Einstellungen"},
      {308, 2010, "Install for User only", "Install nur f\xFCr diesen User"},
      {309, 2011, "Create Desktop Icon", "DesktopVerkn\xFCpfung erst."},
      {310, 2012, "System Add/Remove Prog.", "Eintrag in SysSTRG/Software"},
      {311, 2013, "Startmenu Uninstall", "Deinstall \xFC" "ber Startmenu"},
      {312, 2014, "Hide Uninstall for Users", "Deinstall nur f\xFCr Admin"},
      {313, 2015, "Vista Game Explorer (legacy)", "Vista Game Explorer (legacy)"},
      {314, 2016, "Vista Game Explorer (native Vista, UNTESTED!!!)", "Vista Game Explorer (native Vista, UNTESTED!!!)"},
      {315, 2017, "No data sharing between users", "Keine gemeinsamen Daten"},
      {316, 2018, "No Registry Updates", "Registry nicht ver\xE4ndern"},
      {317, 2019, "No Startmenu Entry", "Keine Startmenueintr\xE4ge"},
      {319, 2020, "Reset to Defaults", "Standard wiedhst."},
      {320, 2021, "OK", "OK"},
  };
  return all;
}

}  // namespace expected
