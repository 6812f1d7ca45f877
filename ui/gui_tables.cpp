#include "ui/gui_tables.h"

std::int32_t IntTable::at(std::size_t i) const {
  if (!bytes_ || i >= size_ / 4) return 0;
  const unsigned char* p = bytes_ + i * 4;
  const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                          static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  return static_cast<std::int32_t>(v);
}

std::vector<std::vector<std::int32_t>> IntTable::records(std::size_t width) const {
  std::vector<std::vector<std::int32_t>> rows;
  for (std::size_t r = 0; at(r * width) != 0; ++r) {
    std::vector<std::int32_t> row(width);
    for (std::size_t f = 0; f < width; ++f) row[f] = at(r * width + f);
    rows.push_back(row);
  }
  return rows;
}

const char* startup_table_name(std::int32_t admin_level) {
  switch (admin_level) {
    case 1: return "GUIADMINSTARTUPBOOLS";
    case -1: return "GUIUSERSTARTUPBOOLS";
    case 0: return "GUIMAYBEADMINSTARTUPBOOLS";
    default: return nullptr;
  }
}

std::vector<CaptionRow> caption_rows(const IntTable& words) {
  std::vector<CaptionRow> rows;
  std::size_t i = 0;
  for (std::int32_t first = words.at(i++); first != 0; first = words.at(i++)) {
    int n = 0;
    for (std::int32_t control = words.at(i++); control != 0; control = words.at(i++)) {
      rows.push_back({control, first + n++});
    }
  }
  return rows;
}

namespace {

bool has_pair(const IntTable& table, int dialog, int control) {
  for (const auto& row : table.records(2)) {
    if (row[0] == dialog && row[1] == control) return true;
  }
  return false;
}

}  // namespace

bool is_success_item(const GuiTables& t, int dialog, int control) { return has_pair(t.success, dialog, control); }

bool is_failure_item(const GuiTables& t, int dialog, int control) { return has_pair(t.failure, dialog, control); }

std::int32_t language_from_button(const GuiTables& t, int button) {
  for (const auto& row : t.languages.records(2)) {
    if (row[0] == button) return row[1];
  }
  return 0;
}

std::optional<std::pair<int, int>> control_range(const GuiTables& t, int dialog) {
  std::optional<std::pair<int, int>> range;
  for (const auto& row : t.items.records(3)) {
    if (row[0] == dialog) range = std::make_pair(row[1], row[2]);
  }
  return range;
}

int dialog_template(const GuiTables& t, std::size_t i) {
  for (std::size_t k = 0; k <= i; ++k) {
    if (t.dialogs.at(k) == 0) return 0;
  }
  return t.dialogs.at(i);
}
