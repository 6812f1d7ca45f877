#include "engine/rollback_text.h"

std::string rollback_question(bool german) {
  if (german) {
    return "Fehler bei Installation gefunden.\r\n"
           "Soll versucht werden, die Installation rückgängig zu machen?\r\n"
           "Wählen sie NEIN, so wird noch versucht, die gewählten Verknüpfungen zu erstellen,\r\n"
           "wählen sie Ja, so wird der Versuch unternommen, alle Änderungen an ihrem System rückgängig zu machen.\r\n";
  }
  return "Installtion failed.\r\n"
         "Select Yes to try to rollback all changes to your system,\r\n"
         "Select No to ignore the problem and try to create the selected shortcuts.";
}

std::string stopped_run_question(bool german, const std::string& folder) {
  if (german) {
    return "Eine frühere Installation nach\r\n" + folder +
           "\r\nwurde abgebrochen, bevor sie fertig war.\r\n\r\n"
           "Wählen sie JA, um sie jetzt rückgängig zu machen und die von ihr ersetzten Dateien zurückzulegen.\r\n"
           "Wählen sie NEIN, um alles so zu lassen, wie es ist, und diese Installation zu beenden.";
  }
  return "An earlier installation into\r\n" + folder +
         "\r\nwas stopped before it finished.\r\n\r\n"
         "Select YES to undo it now and put back the files it replaced.\r\n"
         "Select NO to leave everything as it is and end this setup.";
}

std::string rollback_report(bool german, const RollbackNumbers& n) {
  const auto line = [](std::int32_t number, const char* text) { return std::to_string(number) + text; };
  if (german) {
    return "Rollback abgeschlossen.\r\n" +
           line(n.saved, " der überschriebenen Dateien wurden zuvor gesichert.\r\n") +
           line(n.restored, " davon wurden auch wiederhergestellt\r\n") +
           line(n.unrestored,
                " Dateien wurden zwar gesichert, aber nicht wiederhergestellt, "
                "und sollten sich daher noch im trmporären Ordner befinden.\r\n") +
           line(n.not_saved,
                " der überschriebenen Dateien wurden zuvor NICHT GESICHERT und sind daher verloren.\r\n") +
           line(n.files_left, " Dateien der Neuinstallation konnten leider NICHT wieder gelöscht werden.\r\n") +
           line(n.folders_left, " Vezeichnisse der Neuinstalation konnten NICHT wieder gelöscht werden.\r\n") +
           line(n.registrations_left, " Neu-Registrierungen konnten NICHT rückgängig gemacht werden.");
  }
  return "Rollback done.\r\n" + line(n.saved, " \"overwritten files were saved to temp\".\r\n") +
         line(n.restored, " of these files wre sucessfully restored\r\n") +
         line(n.unrestored, " files in the tempdir beeing unrestored\r\n") +
         line(n.not_saved, " files are now LOST because they haven't been saved\r\n") +
         line(n.files_left, " files remain on your System\r\n") +
         line(n.folders_left, " directories remain on your system\r\n") +
         line(n.registrations_left, " app-registrations weren't taken back");
}
