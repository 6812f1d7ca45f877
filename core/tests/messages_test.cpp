#include "core/messages.h"

#include <gtest/gtest.h>

#include <string>

// Every text in both languages, and the placeholders a text names are the
// ones message() fills.
TEST(Messages, EveryIdHasBothTextsAndFillsItsPlaceholders) {
  for (int i = 0; i < static_cast<int>(Msg::count); ++i) {
    const MessageTexts& m = message_texts(static_cast<Msg>(i));
    ASSERT_NE(m.english, nullptr) << i;
    ASSERT_NE(m.german, nullptr) << i;
    for (const bool german : {false, true}) {
      const std::string filled = message(static_cast<Msg>(i), german, {"<1>", "<2>", "<3>"});
      EXPECT_EQ(filled.find("%1"), std::string::npos) << i;
      EXPECT_EQ(filled.find("%2"), std::string::npos) << i;
      EXPECT_EQ(filled.find("%3"), std::string::npos) << i;
    }
  }
  EXPECT_EQ(message(Msg::install_complete, false, {"13"}), "Sucessfully installed 13 Files.");
  EXPECT_EQ(message(Msg::install_complete, true, {"13"}), "Es wurden 13 Dateien erfolgreich installiert.");
  // What fills a placeholder is not looked at again.
  EXPECT_EQ(message(Msg::uninstall_at_restart, false, {"C:\\%1\\u.exe"}), "C:\\%1\\u.exe goes at the next restart.");
  // The original program's captions are the same in both languages; the
  // uninstaller's are German in a German run.
  EXPECT_EQ(caption(Msg::rollback_question, true), "Install failed");
  EXPECT_EQ(caption(Msg::uninstall_complete, true), "Deinstallation abgeschlossen");
  EXPECT_EQ(caption(Msg::uninstall_complete, false), "Uninstall complete");
}

TEST(Messages, TheRollbackReportInBothLanguages) {
  RollbackNumbers n;
  n.saved = 2;
  n.restored = 1;
  n.unrestored = 1;
  n.not_saved = 3;
  n.folders_left = 1;
  EXPECT_EQ(rollback_report(false, n),
            "Rollback done.\r\n2 \"overwritten files were saved to temp\".\r\n1 of these files wre sucessfully "
            "restored\r\n1 files in the tempdir beeing unrestored\r\n3 files are now LOST because they haven't been "
            "saved\r\n0 files remain on your System\r\n1 directories remain on your system\r\n0 app-registrations "
            "weren't taken back");
  // The literals are compiled as the catalogue's are: UTF-8 on the host,
  // Windows-1252 in the program.
  EXPECT_EQ(rollback_report(true, n),
            "Rollback abgeschlossen.\r\n2 der überschriebenen Dateien wurden zuvor gesichert.\r\n"
            "1 davon wurden auch wiederhergestellt\r\n"
            "1 Dateien wurden zwar gesichert, aber nicht wiederhergestellt, und sollten sich daher noch im "
            "trmporären Ordner befinden.\r\n"
            "3 der überschriebenen Dateien wurden zuvor NICHT GESICHERT und sind daher verloren.\r\n"
            "0 Dateien der Neuinstallation konnten leider NICHT wieder gelöscht werden.\r\n"
            "1 Vezeichnisse der Neuinstalation konnten NICHT wieder gelöscht werden.\r\n"
            "0 Neu-Registrierungen konnten NICHT rückgängig gemacht werden.");
}

TEST(Messages, TheOverwriteQuestionsFirstLineWithItsBreakIsCutAt255) {
  // 246 + "The file" = 254: the line and its CR fit, the LF is cut.
  const std::string path(246, 'p');
  const std::string text = overwrite_question(false, path);
  EXPECT_EQ(text.substr(0, 255), "The file" + path + "\r");
  EXPECT_EQ(text.substr(255, 16), "already exists. ");

  // A line that fits with its break is left alone.
  const std::string shorter(245, 'p');
  EXPECT_EQ(overwrite_question(false, shorter).substr(0, 255), "The file" + shorter + "\r\n");

  // A path of 255 characters loses its tail and both line-break characters.
  const std::string longest(255, 'q');
  const std::string cut = overwrite_question(true, longest);
  EXPECT_EQ(cut.substr(0, 255), "Die Datei" + std::string(246, 'q'));
  EXPECT_EQ(cut.substr(255, 10), "existiert ");
}

// English: lines 1 to 3 together are cut at 255; German: lines 2 and 3.
// Cancel is offered only where the question allows it.
TEST(Messages, TheCleanUpQuestionCutsItsFolderLinesAndOffersCancelOnlyWhenAllowed) {
  const std::string folder(300, 'f');
  const std::string english = cleanup_question(false, folder, true);
  EXPECT_EQ(english.find("Select YES"), 255u);
  EXPECT_NE(english.find("Select CANCEL to unroll the hole installation now\r\n"), std::string::npos);
  EXPECT_EQ(cleanup_question(false, "C:\\t", false).find("CANCEL"), std::string::npos);
  const std::string german = cleanup_question(true, folder, false);
  const std::size_t head = german.find('\n') + 1;
  EXPECT_EQ(german.find("Wählen sie JA"), head + 255);
  EXPECT_EQ(german.find("ABBRUCH"), std::string::npos);
  EXPECT_EQ(german.substr(german.size() - 10), "Weg damit?");
}
