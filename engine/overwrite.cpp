#include "engine/overwrite.h"

#include "core/short_string.h"

OverwriteDecision decide_overwrite(bool overwrite_all, bool silent) {
  if (overwrite_all) return OverwriteDecision::replace;
  return silent ? OverwriteDecision::refuse : OverwriteDecision::ask;
}

std::string overwrite_question(bool german, std::string_view path) {
  std::string first(german ? "Die Datei" : "The file");
  first.append(path).append("\r\n");
  std::string text = cut_short(first);
  if (german) {
    text +=
        "existiert bereits. Sollen nun alle bereits exitierenden Dateien überschrieben werden?\r\n"
        "Wählen sie JA, werden alle weiteren evtl. vorhandenen gleichnamigen Dateien überschrieben.\r\n"
        "Wählen sie NEIN, so wird NUR DIESE Datei ÜBERSCHRIEBEN\r\n"
        "Wählen sie ABBRUCH um keine Dateien zu überschreiben und die Installation abzubrechen.\r\n"
        "\r\n"
        "Immer Überschreiben?";
  } else {
    text +=
        "already exists. Should we overwrite ALL existing files?\r\n"
        "Select YES to overwrite ALL existing files\r\n"
        "Select NO to OVERWRITE THIS file (and keep warning about existing files)\r\n"
        "Select CANCEL to not overwrite this file and abort the hole installation.\r\n"
        "\r\n"
        "Always overwrite?";
  }
  return text;
}
