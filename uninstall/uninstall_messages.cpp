#include "uninstall/uninstall_messages.h"

#include <utility>

namespace {

constexpr std::size_t list_limit = 10;

template <typename Item, typename Line>
void add_list(std::string& text, const std::vector<Item>& items, const char* heading, const char* more, Line line) {
  if (items.empty()) return;
  text += "\r\n\r\n";
  text += heading;
  for (std::size_t i = 0; i < items.size() && i < list_limit; ++i) text += "\r\n  " + line(items[i]);
  if (items.size() > list_limit) text += "\r\n  " + std::to_string(items.size() - list_limit) + more;
}

}  // namespace

std::string uninstall_question(bool german, const std::string& title) {
  if (german) {
    return title + " und alles, was sein Setup installiert hat, von diesem Computer entfernen?\r\n\r\n"
                   "Ihre eigenen Dateien, etwa gespeicherte Spielstände, bleiben, wo sie sind.";
  }
  return "Remove " + title + " and everything its setup installed from this computer?\r\n\r\n"
                             "Your own files, such as saved games, stay where they are.";
}

std::string german_reason(const std::string& english) {
  static const std::pair<const char*, const char*> reasons[] = {
      {"in use", "in Benutzung"},
      {"access denied", "Zugriff verweigert"},
      {"not empty", "nicht leer"},
      {"reached through a link", "nur über eine Verknüpfung erreichbar"},
      {"a folder, not a file", "ein Ordner, keine Datei"},
      {"its place is taken", "ihr Platz ist belegt"},
      {"its place is reached through a link", "ihr Platz ist nur über eine Verknüpfung erreichbar"},
      {"the entry could not be removed", "der Eintrag ließ sich nicht entfernen"},
      {"it is reached through a link", "sie ist nur über eine Verknüpfung erreichbar"},
      {"it is named by a short name", "sie ist mit einem Kurznamen benannt"},
      {"a folder is in its place", "an ihrer Stelle ist ein Ordner"},
      {"the entry could not be taken back", "der Eintrag ließ sich nicht entfernen"},
      {"its bytes were changed since it was saved", "ihr Inhalt wurde seit dem Sichern verändert"},
      {"the file lies outside the installation folder and is none of the product's shortcuts",
       "die Datei liegt außerhalb des Installationsordners und ist keine Verknüpfung des Produkts"},
      {"the folder is neither the installation folder, above it or below it, nor one of the product's start-menu "
       "folders",
       "der Ordner ist weder der Installationsordner, über oder unter ihm, noch ein Startmenü-Ordner des Produkts"},
      {"the entry is not the one of this product in this folder",
       "der Eintrag gehört nicht zu diesem Produkt in diesem Ordner"},
      {"the folder of replaced files lies in no place a run saves to",
       "der Ordner der ersetzten Dateien liegt an keinem Ort, an dem ein Setup sichert"},
      {"the saved file and its place are not a file of the installation and its copy in the folder of replaced files",
       "die gesicherte Datei und ihr Platz sind keine Datei der Installation und ihre Kopie im Ordner der ersetzten "
       "Dateien"},
      {"the folder was not made for the folder of replaced files",
       "der Ordner wurde nicht für den Ordner der ersetzten Dateien angelegt"},
      {"the file is none of the product's shortcuts", "die Datei ist keine Verknüpfung des Produkts"},
      {"the file is not this installation's journal", "die Datei ist nicht das Protokoll dieser Installation"},
      {"the backup list's line is none it writes, or belongs to no run",
       "die Zeile der Sicherungsliste ist keine, die das Setup schreibt, oder gehört zu keinem Lauf"},
      {"the backup list names a run that log_inst.dat does not hold",
       "die Sicherungsliste nennt einen Lauf, den log_inst.dat nicht enthält"},
      {"it leads elsewhere now, so it is another installation's",
       "sie führt nun woandershin und gehört daher einer anderen Installation"},
      {"the journal could not be read whole, so it stays with the uninstaller",
       "das Protokoll ließ sich nicht ganz lesen, daher bleibt es mit dem Deinstallationsprogramm"},
      {"the uninstaller could not run from a copy, and cannot remove itself",
       "das Deinstallationsprogramm konnte nicht aus einer Kopie laufen und kann sich nicht selbst entfernen"},
      {"the line is longer than a record can be", "die Zeile ist länger als ein Eintrag sein kann"},
      {"the line holds a zero byte", "die Zeile enthält ein Null-Byte"},
      {"the line holds a line break of another form", "die Zeile enthält einen fremden Zeilenumbruch"},
      {"the journal ends in the middle of this line", "das Protokoll endet mitten in dieser Zeile"},
      {"the line is no record the setup writes", "die Zeile ist kein Eintrag des Setups"},
  };
  for (const auto& [en, de] : reasons) {
    if (english == en) return de;
  }
  if (english.rfind("error ", 0) == 0) return "Fehler " + english.substr(6);
  return english;
}

std::string uninstall_report(bool german, const UninstallReport& r) {
  const UndoOutcome& o = r.outcome;
  const auto reason = [german](const std::string& why) { return german ? german_reason(why) : why; };
  std::string text;
  if (german) {
    text = std::to_string(o.files) + " Dateien und " + std::to_string(o.folders) + " Ordner wurden entfernt, " +
           std::to_string(o.restored) + " ersetzte Dateien wurden zurückgelegt.";
    add_list(text, o.kept_folders, "Diese Ordner bleiben, da sie Dateien enthalten, die nicht installiert wurden:",
             " weitere", [](const std::string& f) { return f; });
    add_list(text, o.left, "Nicht entfernt:", " weitere",
             [&](const LeftItem& l) { return l.path + " (" + reason(l.why) + ")"; });
    add_list(text, r.refused, "Abgelehnt, da nicht von dieser Installation:", " weitere",
             [&](const RefusedRecord& x) { return x.record + " (" + reason(x.why) + ")"; });
    add_list(text, o.not_ours, "Gelassen, da sie nun einer anderen Installation gehören:", " weitere",
             [&](const LeftItem& l) { return l.path; });
    add_list(text, r.kept, "Behalten:", " weitere",
             [&](const LeftItem& l) { return l.path + " (" + reason(l.why) + ")"; });
    if (!r.removed_at_restart.empty()) {
      text += "\r\n\r\n" + r.removed_at_restart + " wird beim nächsten Neustart entfernt.";
    }
    if (!o.left.empty()) text += "\r\n\r\nNach dem Schließen der genannten Programme bitte noch einmal deinstallieren.";
    return text;
  }
  text = std::to_string(o.files) + " files and " + std::to_string(o.folders) + " folders removed, " +
         std::to_string(o.restored) + " replaced files put back.";
  add_list(text, o.kept_folders, "These folders stay, as they hold files the installation did not create:", " more",
           [](const std::string& f) { return f; });
  add_list(text, o.left, "Not removed:", " more", [&](const LeftItem& l) { return l.path + " (" + reason(l.why) + ")"; });
  add_list(text, r.refused, "Refused, as they are not this installation's:", " more",
           [&](const RefusedRecord& x) { return x.record + " (" + reason(x.why) + ")"; });
  add_list(text, o.not_ours, "Left, as they now belong to another installation:", " more",
           [&](const LeftItem& l) { return l.path; });
  add_list(text, r.kept, "Kept:", " more", [&](const LeftItem& l) { return l.path + " (" + reason(l.why) + ")"; });
  if (!r.removed_at_restart.empty()) text += "\r\n\r\n" + r.removed_at_restart + " goes at the next restart.";
  if (!o.left.empty()) text += "\r\n\r\nClose the programs that use them and uninstall again.";
  return text;
}

std::string journal_missing_text(bool german, const std::string& path) {
  if (german) {
    return "Die Liste der installierten Dateien\r\n" + path +
           "\r\nfehlt oder lässt sich nicht lesen. Es wurde nichts entfernt.";
  }
  return "The list of installed files\r\n" + path + "\r\nis missing or cannot be read. Nothing was removed.";
}

std::string journal_empty_text(bool german, const std::string& path) {
  if (german) {
    return "Die Liste der installierten Dateien\r\n" + path +
           "\r\nenthält keinen Eintrag, den das Setup schreibt. Es wurde nichts entfernt.";
  }
  return "The list of installed files\r\n" + path + "\r\nholds no record the setup writes. Nothing was removed.";
}
