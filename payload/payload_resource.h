#pragma once
// The payload carried by the running program as resource type 999 named
// EXEBINFILESET. It stays in the program's resource memory and is only read.

#include <optional>

#include "payload/digest.h"
#include "payload/fileset.h"

// The container of the running program, or nothing when the resource is
// missing, cannot be loaded, or its header does not fit inside it.
std::optional<FilesetView> load_payload();

// Loads the payload into `payload` and checks its digest. False for a missing
// or damaged container as well as for a wrong digest.
bool verify_payload(Tchecksum& checksum, std::optional<FilesetView>& payload);
