#pragma once
// The eleven integer tables that wire the dialogs, as read-only views of the
// program's resources (resources/gui.rc): little-endian signed 32-bit
// integers; type 1001 single integers, 1002 pairs, 1003 triples. A pair or
// triple table ends at the first record whose first field is 0, and only that
// field of the terminating record is read. Nothing is read past a table's
// stored size: a missing integer counts as 0, so a cut table simply ends.
//
// A missing table is an empty view; every lookup in it finds nothing.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class IntTable {
 public:
  IntTable() = default;
  IntTable(const void* bytes, std::size_t size) : bytes_(static_cast<const unsigned char*>(bytes)), size_(size) {}

  bool present() const { return bytes_ != nullptr; }
  std::size_t size() const { return size_; }
  // The integer at index i, or 0 past the stored bytes.
  std::int32_t at(std::size_t i) const;

  // The records of a pair (width 2) or triple (width 3) table up to the
  // terminator, each as its fields.
  std::vector<std::vector<std::int32_t>> records(std::size_t width) const;

 private:
  const unsigned char* bytes_ = nullptr;
  std::size_t size_ = 0;
};

// Resource types and names.
constexpr int table_type_singles = 1001;
constexpr int table_type_pairs = 1002;
constexpr int table_type_triples = 1003;

struct GuiTables {
  IntTable disablers0;   // GUIDISABELERS0 (1003): (dialog, source, target) locked unchecked
  IntTable disablers1;   // GUIDISABELERS1 (1003): (dialog, source, target) locked checked
  IntTable words;        // GUIWORDS (1001): caption groups
  IntTable success;      // SUCESSITEMS (1002): (dialog, control) ending with the control id
  IntTable failure;      // NOSUCESSITEMS (1002): (dialog, control) ending with its negation
  IntTable items;        // DLGITEMS (1003): (dialog, first, last) control range
  IntTable languages;    // LANGNUMS (1002): (button, language offset)
  IntTable dialogs;      // DLGNUMS (1001): template ids, language dialog first
  IntTable startup;      // the start-up table for the administrator level (1003)
};

// The start-up table's name for an administrator level: 1 administrator, -1
// not, 0 unknown; null for any other value (no table is loaded).
const char* startup_table_name(std::int32_t admin_level);

struct CaptionRow {
  int control;
  int string_id;  // without the language offset
};
// GUIWORDS walked group by group: the n-th control of a group takes the
// group's first string id plus n.
std::vector<CaptionRow> caption_rows(const IntTable& words);

bool is_success_item(const GuiTables& t, int dialog, int control);
bool is_failure_item(const GuiTables& t, int dialog, int control);
// The offset of the first LANGNUMS row for the button; 0 without one.
std::int32_t language_from_button(const GuiTables& t, int button);
// The inclusive control range of the last DLGITEMS row for the dialog.
std::optional<std::pair<int, int>> control_range(const GuiTables& t, int dialog);
// Entry i of DLGNUMS (0 language dialog, 1 path dialog); 0 when missing.
int dialog_template(const GuiTables& t, std::size_t i);
