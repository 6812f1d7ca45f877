#pragma once
// mkfileset --list: what a container holds and whether its digest matches.

#include <cstdint>
#include <ostream>
#include <vector>

#include "payload/digest.h"

enum class ListResult { matches, wrong_digest, damaged };

// Prints one line per entry (kind, size, name in UTF-8 with control characters
// as \xNN) and a closing line on the digest. A container that does not pass
// the bounds check is only reported as damaged; nothing of it is walked.
ListResult list_fileset(const std::vector<std::uint8_t>& bytes, Tchecksum& checksum, std::ostream& out);
