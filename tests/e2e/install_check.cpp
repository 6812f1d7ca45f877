#include "tests/e2e/install_check.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "tests/support/win_fs.h"

std::vector<std::string> expected_fresh_journal(const std::string& installed) {
  // Windows-1252: "Grüße", "Übersicht", "ö", "straße".
  static const char* const folders[] = {
      "", "\\Gr\xFC\xDF" "e", "\\big", "\\data", "\\data\\levels", "\\data\\levels\\one", "\\data\\levels\\two",
      "\\empty_folder", "\\exebin", "\\uninst",
  };
  static const char* const files[] = {
      "\\Gr\xFC\xDF" "e\\\xDC" "bersicht.txt", "\\big\\movie.bin", "\\data\\empty.dat",
      "\\data\\levels\\one\\level1.dat", "\\data\\levels\\two\\level2.dat", "\\data\\\xF6.txt",
      "\\exebin\\quasarine2.exe", "\\readme.txt", "\\stra\xDF" "e.txt", "\\uninst\\uninstall.exe",
      // The two links in the installation folder (runs with -M make no others).
      "\\Quasarine II.lnk", "\\Uninstall Quasarine.lnk", "\\uninst\\log_inst.dat",
  };
  std::vector<std::string> lines;
  for (const char* folder : folders) {
    lines.push_back("DIR:" + installed + folder);
    // The write probe made the installation folder and left its record.
    if (*folder == '\0') lines.push_back(probe_record(installed));
  }
  for (const char* file : files) lines.push_back("FILE:" + installed + file);
  return lines;
}

std::string probe_record(const std::string& installed) { return installed + "\\del_me_874bvgj345t87gd3z.txt"; }

void expect_same_files(const std::string& payload, const std::string& installed,
                       const std::vector<std::string>& added) {
  std::vector<std::string> expected = list_tree(payload);
  expected.insert(expected.end(), added.begin(), added.end());
  std::sort(expected.begin(), expected.end());
  const std::vector<std::string> actual = list_tree(installed);
  ASSERT_EQ(actual, expected);
  for (const std::string& name : expected) {
    if (name.back() == '\\' || std::find(added.begin(), added.end(), name) != added.end()) continue;
    const auto want = read_file(payload + "\\" + name);
    const auto got = read_file(installed + "\\" + name);
    ASSERT_TRUE(want && got) << name;
    EXPECT_TRUE(*want == *got) << name << " differs (" << got->size() << " bytes, expected " << want->size() << ")";
  }
}

std::vector<std::string> installer_entries_in_temp() {
  char temp[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::vector<std::string> found;
  WIN32_FIND_DATAA data;
  const HANDLE h = FindFirstFileA((std::string(temp) + "\\Installer_*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return found;
  do {
    found.push_back(data.cFileName);
  } while (FindNextFileA(h, &data));
  FindClose(h);
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<std::string> unfinished_records(const std::string& folder) {
  std::vector<std::string> found;
  WIN32_FIND_DATAA data;
  const HANDLE h = FindFirstFileA((folder + "\\Installer_unfinished_*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return found;
  do {
    found.push_back(folder + "\\" + data.cFileName);
  } while (FindNextFileA(h, &data));
  FindClose(h);
  std::sort(found.begin(), found.end());
  return found;
}
