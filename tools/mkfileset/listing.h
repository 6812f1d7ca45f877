#pragma once
// mkfileset --list: what a container holds and whether its digest matches.

#include <cstdint>
#include <cstddef>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "payload/digest.h"

enum class ListResult { matches, wrong_digest, damaged, not_container, wrong_sums };

// Prints one line per entry (kind, size, name in UTF-8 with control characters
// as \xNN) and a closing line on the digest. A container that does not pass
// the bounds check is only reported as damaged (holder names what held those
// bytes); nothing of it is walked.
ListResult list_fileset(const std::uint8_t* bytes, std::size_t size, Tdigest& checksum, std::ostream& out,
                        const char* holder = "file");
inline ListResult list_fileset(const std::vector<std::uint8_t>& bytes, Tdigest& checksum, std::ostream& out) {
  return list_fileset(bytes.data(), bytes.size(), checksum, out);
}

// Lists the payload of a file: a setup program's (its resource EXEBINFILESET
// of type 999) or a bare container. A program without that resource, or a
// file that is neither, is reported on err as not a container. The payload is
// then checked against its checksums: the program's resource EXEBINFILESUMS,
// or the file CONTAINER.sums beside a bare container. A program without them
// fails, as setup.exe would refuse it; a bare container without them is only
// listed.
// A setup program that carries a block index (resource EXEBINVOLUMES)
// instead is listed from its index, and its blocks are checked as setup.exe
// checks them: each volume in its folder (header, size and every block), or
// the blocks it carries itself (resource EXEBINBLOCKS).
ListResult list_payload(const std::string& path, const std::vector<std::uint8_t>& file, Tdigest& checksum,
                        std::ostream& out, std::ostream& err);

// Bytes held in memory: the blocks a program carries itself.
struct ByteRegion {
  const std::uint8_t* bytes = nullptr;
  std::size_t size = 0;
};

// The index's entries, its digest, and its blocks: in the volumes in folder,
// or in in_program (the program's resource EXEBINBLOCKS).
ListResult list_volumes(const std::uint8_t* bytes, std::size_t size, const std::filesystem::path& folder,
                        const ByteRegion& in_program, Tdigest& checksum, std::ostream& out);

// A name as UTF-8, with control characters shown as \xNN.
std::string printable_name(const std::string& cp1252);
