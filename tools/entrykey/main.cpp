// entrykey [--seed HEX] PRODUCT_FOLDER INSTALL_DIR
// Prints the name of the Add/Remove Programs key setup.exe gives an
// installation of the product folder into INSTALL_DIR (the folder as the
// program holds it, with its trailing "\"), for a setup built with the seed.
// Both arguments are UTF-8; the program names the key from their
// Windows-1252 bytes. The winget manifests take it as their ProductCode.
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "payload/digest.h"
#include "system/uninstall_key.h"
#include "tools/common/cp1252.h"
#include "tools/mkfileset/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string seed = code_seed;
  if (args.size() >= 2 && args[0] == "--seed") {
    seed = args[1];
    args.erase(args.begin(), args.begin() + 2);
    if (!is_valid_seed(seed)) {
      std::cerr << "entrykey: --seed takes 64 uppercase hexadecimal digits\n";
      return 2;
    }
  }
  if (args.size() != 2) {
    std::cerr << "usage: entrykey [--seed HEX] PRODUCT_FOLDER INSTALL_DIR\n";
    return 2;
  }
  const std::optional<std::string> folder = utf8_to_cp1252(args[0]);
  const std::optional<std::string> dir = utf8_to_cp1252(args[1]);
  if (!folder || !dir) {
    std::cerr << "entrykey: the product folder and the installation folder must be representable in Windows-1252\n";
    return 1;
  }
  const auto checksum = std::make_unique<Tdigest>(seed);  // 4 KiB of table: kept off the stack
  std::cout << cp1252_to_utf8(uninstall_key_name(*checksum, *folder, *dir)) << '\n';
  return 0;
}
