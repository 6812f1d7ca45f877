#pragma once
// Loading the dialog tables and the colour scheme of the dialogs.

#include <windows.h>

#include <cstdint>

#include "ui/gui_tables.h"

// The tables from the running program's resources, each a view of the locked
// resource data for the whole run; a missing one stays empty. The start-up
// table is the one for the administrator level.
GuiTables load_gui_tables(std::int32_t admin_level);

// The table of a module (the tests read setup.exe as a data file).
IntTable load_table(HMODULE module, const char* name, int type);

// Text colours and brushes of the dialogs' controls, fixed at start-up from
// the system colours. System brushes are never deleted.
struct DialogColours {
  COLORREF static_text;   // COLOR_MENUTEXT
  COLORREF control_text;  // COLOR_WINDOWTEXT
  COLORREF locked_text;   // COLOR_GRAYTEXT
  HBRUSH static_brush;    // COLOR_MENUBAR, also behind every locked control
  HBRUSH control_brush;   // COLOR_WINDOW
};
DialogColours load_colours();

// Colours a control for WM_CTLCOLORSTATIC (is_static) or one of the other
// control colour messages; returns the brush the dialog procedure returns.
HBRUSH colour_control(const DialogColours& colours, HDC dc, bool is_static, bool enabled);
