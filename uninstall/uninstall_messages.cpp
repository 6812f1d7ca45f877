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
      {"the file lies outside the installation folder, the start menus and the desktops",
       "die Datei liegt außerhalb des Installationsordners, der Startmenüs und der Desktops"},
      {"the folder lies outside the installation folder, the start menus and the desktops",
       "der Ordner liegt außerhalb des Installationsordners, der Startmenüs und der Desktops"},
      {"the entry is not the one of this product in this folder",
       "der Eintrag gehört nicht zu diesem Produkt in diesem Ordner"},
      {"the folder of replaced files lies in the installation folder or in the system's folders",
       "der Ordner der ersetzten Dateien liegt im Installationsordner oder in den Systemordnern"},
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
  const RemovalOutcome& o = r.outcome;
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
