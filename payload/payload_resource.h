#pragma once
// The payload carried by the running program: the container as resource type
// 999 named EXEBINFILESET and its checksums as EXEBINFILESUMS. Both stay in
// the program's resource memory and are only read.

#include "payload/digest.h"
#include "payload/payload_check.h"

// Finds both resources and checks them (payload/payload_check.h). A missing
// or unloadable resource counts as missing.
PayloadCheck load_payload(Tdigest& checksum);
