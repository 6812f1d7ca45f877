#include "engine/extract.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "core/settings.h"
#include "core/journal.h"
#include "engine/tests/test_payload.h"
#include "engine/tests/test_run.h"
#include "tests/support/win_fs.h"

namespace {

using Records = std::vector<std::string>;


}  // namespace

TEST(ExtractFileset, WritesEveryEntryByteForByteAndJournalsInOrder) {
  TempDir tmp;
  const std::string dir = tmp / "Spiel\\";  // not there yet: the first folder entry makes it
  const std::string big = patterned(5 * 1024 * 1024 + 3, 1);
  const std::string umlaut_name = "Daten\\Übersicht ä.txt";
  const std::string deep_name = "Daten\\tief\\groß\\ö.bin";
  ASSERT_NE(umlaut_name.find('\xE4'), std::string::npos) << "names are Windows-1252 bytes";
  ASSERT_NE(deep_name.find('\xDF'), std::string::npos);

  const TestPayload payload({
      FilesetEntry::folder("Daten"),
      FilesetEntry::file(umlaut_name, "Grüße\r\n"),
      FilesetEntry::file("leer.txt", ""),
      FilesetEntry::folder("Leerer Ordner"),
      FilesetEntry::passed_over("gibt es nicht", -7),
      FilesetEntry::file(deep_name, big),  // its folders come from the retry in create_file
      FilesetEntry::file("z.txt", "zett"),
  });
  TestRun s_run;
  InstallerSettings& s = s_run.settings;

  EXPECT_EQ(install_fileset(payload.view(), payload.sums(), dir, true, s_run), 0);

  EXPECT_EQ(list_tree(tmp.path()),
            (Records{"Spiel\\", "Spiel\\Daten\\", "Spiel\\Daten\\tief\\", "Spiel\\Daten\\tief\\groß\\",
                     "Spiel\\Daten\\tief\\groß\\ö.bin", "Spiel\\Daten\\Übersicht ä.txt", "Spiel\\Leerer Ordner\\",
                     "Spiel\\leer.txt", "Spiel\\z.txt"}));
  EXPECT_EQ(read_file(dir + umlaut_name), "Grüße\r\n");
  EXPECT_EQ(read_file(dir + "leer.txt"), "");
  EXPECT_EQ(read_file(dir + deep_name), big);
  EXPECT_EQ(read_file(dir + "z.txt"), "zett");

  EXPECT_EQ(read_records(s.journal), (Records{
                                         "DIR:" + tmp / "Spiel",
                                         "DIR:" + dir + "Daten",
                                         "FILE:" + dir + umlaut_name,
                                         "FILE:" + dir + "leer.txt",
                                         "DIR:" + dir + "Leerer Ordner",
                                         "DIR:" + dir + "Daten\\tief",
                                         "DIR:" + dir + "Daten\\tief\\groß",
                                         "FILE:" + dir + deep_name,
                                         "FILE:" + dir + "z.txt",
                                     }));
  EXPECT_EQ(s.backups.saved + s.backups.not_saved, 0);
  EXPECT_TRUE(s.backup_dir.empty()) << "a fresh installation makes no backup folder";
}

TEST(ExtractFileset, AFileThatCannotBeCreatedFailsAloneAndLaterFilesKeepTheirContents) {
  TempDir tmp;
  const std::string dir = tmp.path() + "\\";
  // A file where the folder "blocked" should be: blocked\b.txt cannot be made.
  ASSERT_TRUE(write_file(tmp / "blocked", "in the way"));
  const TestPayload payload({
      FilesetEntry::file("a.txt", patterned(1000, 2)),
      FilesetEntry::file("blocked\\b.txt", patterned(3000, 3)),
      FilesetEntry::file("c.txt", patterned(2000, 4)),
      FilesetEntry::folder("blocked\\sub"),  // cannot be made either: not counted
      FilesetEntry::file("d\\e.txt", patterned(10, 5)),
  });
  TestRun s_run;
  InstallerSettings& s = s_run.settings;

  EXPECT_EQ(install_fileset(payload.view(), payload.sums(), dir, true, s_run), 1);

  EXPECT_EQ(read_file(dir + "a.txt"), patterned(1000, 2));
  EXPECT_EQ(read_file(dir + "c.txt"), patterned(2000, 4));
  EXPECT_EQ(read_file(dir + "d\\e.txt"), patterned(10, 5));
  EXPECT_EQ(read_file(tmp / "blocked"), "in the way");
  EXPECT_EQ(read_records(s.journal), (Records{"FILE:" + dir + "a.txt", "FILE:" + dir + "c.txt",
                                              "DIR:" + dir + "d", "FILE:" + dir + "d\\e.txt"}));
}

TEST(InstallFileset, ReadsEveryFileBackAndComparesItWithTheMakersChecksum) {
  const std::string big = patterned(3 * 1024 * 1024 + 17, 6);  // read back in several pieces
  std::string damaged = big;
  damaged[2 * 1024 * 1024 + 5] ^= 1;
  const TestPayload written({FilesetEntry::file("a.txt", "a"), FilesetEntry::folder("f"),
                             FilesetEntry::file("f\\big.bin", damaged), FilesetEntry::file("empty.txt", ""),
                             FilesetEntry::file("z.txt", "z")});
  // What the maker packed: the same entries, one byte different.
  const TestPayload packed({FilesetEntry::file("a.txt", "a"), FilesetEntry::folder("f"),
                            FilesetEntry::file("f\\big.bin", big), FilesetEntry::file("empty.txt", ""),
                            FilesetEntry::file("z.txt", "z")});

  TempDir tmp;
  const std::string dir = tmp.path() + "\\";
  TestRun s_run;
  InstallerSettings& s = s_run.settings;
  EXPECT_EQ(install_fileset(written.view(), packed.sums(), dir, true, s_run), 1);
  // Everything was written and journaled: the rollback finds the damaged file too.
  EXPECT_EQ(read_file(dir + "f\\big.bin"), damaged);
  EXPECT_EQ(read_file(dir + "z.txt"), "z");
  EXPECT_EQ(count_records(s.journal).files, 4);

  // Without -F nothing is read back.
  TempDir unverified;
  TestRun u_run;
  EXPECT_EQ(install_fileset(written.view(), packed.sums(), unverified.path() + "\\", false, u_run), 0);
  EXPECT_EQ(read_file(unverified / "f\\big.bin"), damaged);
}

TEST(ExtractFileset, NamesThatWouldLeaveTheInstallFolderWriteNothing) {
  TempDir tmp;
  const std::string dir = tmp / "inst\\";
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  const std::string rooted = "\\setup-test-rooted-" + std::to_string(GetCurrentProcessId()) + ".txt";
  const TestPayload payload({
      FilesetEntry::file("..\\up.txt", "x"),
      FilesetEntry::file("sub\\..\\..\\up2.txt", "x"),
      FilesetEntry::file(tmp / "absolute.txt", "x"),
      FilesetEntry::file(rooted, "x"),
      FilesetEntry::folder("..\\up_dir"),
      FilesetEntry::file("ok.txt", "fine"),
  });
  TestRun s_run;
  InstallerSettings& s = s_run.settings;

  EXPECT_EQ(install_fileset(payload.view(), payload.sums(), dir, true, s_run), 5);

  EXPECT_EQ(list_tree(tmp.path()), (Records{"inst\\", "inst\\ok.txt"}));
  EXPECT_EQ(GetFileAttributesA(rooted.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(read_records(s.journal), Records{"FILE:" + dir + "ok.txt"});
}

TEST(ExtractFileset, PathsOrRecordsBeyond255AreNeverCut) {
  TempDir tmp;
  std::string dir = tmp.path() + "\\";
  ASSERT_LT(dir.size(), 220u);
  dir += std::string(230 - dir.size(), 'd') + "\\";  // 231 characters
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  const std::string fits(19, 'f');   // path 250: "FILE:" + path is exactly 255
  const std::string over(20, 'o');   // path 251: the record would be cut
  const std::string folder(21, 'g'); // path 252: "DIR:" + path would be cut
  const TestPayload payload({
      FilesetEntry::file(fits, "fits"),
      FilesetEntry::file(over, "too long"),
      FilesetEntry::folder(folder),  // skipped, not counted
      FilesetEntry::file(folder + "\\x", "x"),
      FilesetEntry::file(std::string(40, 'l'), "cut would name another file"),
      FilesetEntry::file("a.txt", "a"),
  });
  TestRun s_run;
  InstallerSettings& s = s_run.settings;

  EXPECT_EQ(install_fileset(payload.view(), payload.sums(), dir, true, s_run), 3);

  const std::string rel = dir.substr(tmp.path().size() + 1);
  EXPECT_EQ(list_tree(tmp.path()), (Records{rel, rel + "a.txt", rel + fits}));
  EXPECT_EQ(read_file(dir + fits), "fits");
  EXPECT_EQ(read_records(s.journal), (Records{"FILE:" + dir + fits, "FILE:" + dir + "a.txt"}));
}
