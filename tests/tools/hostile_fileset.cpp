// Writes a container whose digest and checksums are right but one of whose
// entries must not be installed, and its checksums next to it (OUT.sums), for
// the end-to-end tests of the installation plan:
//   hostile_fileset KIND SEED OUT   with KIND one of
//     escape            a name that climbs out of the installation folder
//     letter-case       two names that differ only in letter case
//     folder-then-file  a folder and a file of the same path
//     journal           an entry at the journal file's path
// Each starts with ordinary entries, which must not be written either.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "payload/digest.h"
#include "payload/fileset_sums.h"
#include "payload/fileset_writer.h"

namespace {

bool write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: hostile_fileset escape|letter-case|folder-then-file|journal SEED OUT\n");
    return 2;
  }
  const std::string kind = argv[1];
  std::vector<FilesetEntry> entries = {FilesetEntry::folder("uninst"),
                                       FilesetEntry::file("uninst\\uninstall.exe", "uninstaller"),
                                       FilesetEntry::file("readme.txt", "read me")};
  if (kind == "escape") {
    entries.push_back(FilesetEntry::file("..\\outside.txt", "escaped"));
  } else if (kind == "letter-case") {
    entries.push_back(FilesetEntry::file("README.TXT", "again"));
  } else if (kind == "folder-then-file") {
    entries.push_back(FilesetEntry::folder("data"));
    entries.push_back(FilesetEntry::file("Data", "a file where the folder is"));
  } else if (kind == "journal") {
    entries.push_back(FilesetEntry::file("uninst\\log_inst.dat", "payload bytes"));
  } else {
    std::fprintf(stderr, "hostile_fileset: unknown kind %s\n", kind.c_str());
    return 2;
  }
  entries.push_back(FilesetEntry::file("zzz_after.txt", "after"));

  Tdigest checksum(argv[2]);
  const FilesetBuild build = build_fileset(entries, checksum);
  if (!build.ok()) {
    std::fprintf(stderr, "hostile_fileset: %s\n", build.error.c_str());
    return 1;
  }
  const auto view = FilesetView::open(build.bytes.data(), build.bytes.size());
  if (!view || !write(argv[3], build.bytes) || !write(std::string(argv[3]) + ".sums", make_fileset_sums(*view))) {
    std::fprintf(stderr, "hostile_fileset: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
