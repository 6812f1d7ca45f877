#include "engine/entry_path.h"

#include <gtest/gtest.h>

#include "core/journal.h"

TEST(EntryPath, NameGoesBelowTheFolderWithOneSeparator) {
  for (const char* folder : {"C:\\Games\\Quasar\\", "C:\\Games\\Quasar"}) {
    const EntryPath p = entry_path(folder, "data\\b.bin", record::file);
    EXPECT_EQ(p.status, EntryPathStatus::ok);
    EXPECT_EQ(p.path, "C:\\Games\\Quasar\\data\\b.bin") << folder;
  }
}

TEST(EntryPath, NamesThatWouldLeaveTheFolderAreRefused) {
  for (const char* name : {"..\\evil.exe", "data\\..\\..\\evil.exe", "..", "C:\\windows\\evil.exe",
                           "C:evil.exe", "\\windows\\evil.exe", "\\\\server\\share\\x", "data\\...\\x", "",
                           "nul", "data\\con.txt", "a.txt:stream", "nul .txt", "COM\xB9.dat", "data/b.bin"}) {
    const EntryPath p = entry_path("C:\\Games\\", name, record::file);
    EXPECT_EQ(p.status, EntryPathStatus::escapes) << name;
    EXPECT_TRUE(p.path.empty()) << name;
  }
}

TEST(EntryPath, PathAndRecordMustFitWithoutCutting) {
  const std::string folder = "C:\\" + std::string(200, 'f') + "\\";  // 204 characters
  // "FILE:" + path may reach 255, so the path 250.
  EXPECT_EQ(entry_path(folder, std::string(46, 'n'), record::file).status, EntryPathStatus::ok);
  EXPECT_EQ(entry_path(folder, std::string(47, 'n'), record::file).status, EntryPathStatus::too_long);
  // "DIR:" is one shorter.
  EXPECT_EQ(entry_path(folder, std::string(47, 'n'), record::dir).status, EntryPathStatus::ok);
  EXPECT_EQ(entry_path(folder, std::string(48, 'n'), record::dir).status, EntryPathStatus::too_long);
  // A name that is itself a full short string can never fit below a folder.
  EXPECT_EQ(entry_path(folder, std::string(255, 'n'), "").status, EntryPathStatus::too_long);
}
