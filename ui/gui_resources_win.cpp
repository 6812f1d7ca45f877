#include "ui/gui_resources.h"

IntTable load_table(HMODULE module, const char* name, int type) {
  HRSRC info = FindResourceA(module, name, MAKEINTRESOURCEA(type));
  if (!info) return {};
  HGLOBAL loaded = LoadResource(module, info);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  return IntTable(data, SizeofResource(module, info));
}

GuiTables load_gui_tables(std::int32_t admin_level) {
  HMODULE module = GetModuleHandleA(nullptr);
  GuiTables t;
  t.disablers0 = load_table(module, "GUIDISABELERS0", table_type_triples);
  t.disablers1 = load_table(module, "GUIDISABELERS1", table_type_triples);
  t.words = load_table(module, "GUIWORDS", table_type_singles);
  t.success = load_table(module, "SUCESSITEMS", table_type_pairs);
  t.failure = load_table(module, "NOSUCESSITEMS", table_type_pairs);
  t.items = load_table(module, "DLGITEMS", table_type_triples);
  t.languages = load_table(module, "LANGNUMS", table_type_pairs);
  t.dialogs = load_table(module, "DLGNUMS", table_type_singles);
  if (const char* startup = startup_table_name(admin_level)) {
    t.startup = load_table(module, startup, table_type_triples);
  }
  return t;
}

DialogColours load_colours() {
  return DialogColours{GetSysColor(COLOR_MENUTEXT), GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_GRAYTEXT),
                       GetSysColorBrush(COLOR_MENUBAR), GetSysColorBrush(COLOR_WINDOW)};
}

HBRUSH colour_control(const DialogColours& c, HDC dc, bool is_static, bool enabled) {
  SetTextColor(dc, !enabled ? c.locked_text : is_static ? c.static_text : c.control_text);
  SetBkMode(dc, TRANSPARENT);
  return enabled && !is_static ? c.control_brush : c.static_brush;
}
