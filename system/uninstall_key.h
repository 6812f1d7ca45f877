#pragma once
// The name of the Add/Remove Programs key of one installation: the product
// folder, "__at__" and the digest of the installation folder in hexadecimal.
// The folder is hashed exactly as given, so a different spelling (letter case,
// trailing backslash) gives a different key.

#include <string>
#include <string_view>

#include "payload/digest.h"

// Leaves checksum's running digest holding the folder's digest.
std::string uninstall_key_name(Tdigest& checksum, std::string_view product_folder, std::string_view install_dir);
