#include "tools/mkfileset/cli.h"

#include <filesystem>
#include <iomanip>
#include <memory>
#include <optional>
#include <sstream>

#include "payload/digest.h"
#include "tools/common/cp1252.h"
#include "tools/mkfileset/check.h"
#include "tools/mkfileset/estimate.h"
#include "tools/mkfileset/listing.h"
#include "tools/mkfileset/pack.h"
#include "tools/mkfileset/pack_volumes.h"

namespace {

constexpr const char* usage_text =
    "usage: mkfileset [--seed HEX] [--add-missing NAME=FILE]... [--compress LEVEL]\n"
    "                 [--volume-size SIZE [--volume-name NAME]] DIR OUTPUT\n"
    "       mkfileset [--seed HEX] --list CONTAINER|SETUP.EXE\n"
    "       mkfileset [--compress LEVEL] [--volume-size SIZE] --check DIR\n"
    "       mkfileset --estimate DIR\n"
    "HEX is 64 uppercase hexadecimal digits; without it the built-in seed is used.\n"
    "--add-missing packs FILE as NAME (relative, \\ between folders, Windows-1252) where DIR has no NAME.\n"
    "--volume-size writes the files into data volumes of SIZE bytes (K, M, G: powers of 1024) beside OUTPUT,\n"
    "named NAME-1.bin, NAME-2.bin, ... (NAME: OUTPUT's name without its extension), and the volume index\n"
    "setup.exe carries as OUTPUT.\n"
    "--compress compresses the files with zstd at LEVEL (1 to 22) in independent blocks; without volumes\n"
    "the blocks go into OUTPUT.blocks, which setup.exe carries beside the index OUTPUT.\n"
    "--estimate tells how much smaller zstd at level 3 would make DIR's files, from a sample of them.\n";

// One line per problem, each under the program's name.
void report(std::ostream& err, const std::string& problems) {
  std::istringstream lines(problems);
  for (std::string line; std::getline(lines, line);) err << "mkfileset: " << line << '\n';
}

int usage(std::ostream& err, const std::string& problem) {
  if (!problem.empty()) err << "mkfileset: " << problem << '\n';
  err << usage_text;
  return mkfileset_usage;
}

}  // namespace

bool is_valid_seed(const std::string& seed) {
  if (seed.size() != 64) return false;
  for (const char c : seed) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

int run_mkfileset(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string seed = code_seed;
  bool list = false;
  bool check = false;
  bool estimate = false;
  std::vector<std::string> operands;
  std::vector<MissingFile> missing;
  std::optional<VolumePlan> volumes;
  std::string volume_name;
  int compress_level = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << usage_text;
      return mkfileset_ok;
    } else if (arg == "--seed") {
      if (i + 1 == args.size()) return usage(err, "--seed needs a value");
      seed = args[++i];
      if (!is_valid_seed(seed)) return usage(err, "--seed takes 64 uppercase hexadecimal digits");
    } else if (arg == "--add-missing") {
      if (i + 1 == args.size()) return usage(err, "--add-missing needs NAME=FILE");
      const std::string& value = args[++i];
      const std::size_t eq = value.find('=');
      if (eq == std::string::npos || eq == 0 || eq + 1 == value.size()) {
        return usage(err, "--add-missing takes NAME=FILE");
      }
      // Given in UTF-8 like the file names on disk; the container holds Windows-1252.
      const std::optional<std::string> name = utf8_to_cp1252(value.substr(0, eq));
      if (!name) return usage(err, "--add-missing: the name is not representable in Windows-1252");
      missing.push_back({*name, value.substr(eq + 1)});
    } else if (arg == "--volume-size") {
      if (i + 1 == args.size()) return usage(err, "--volume-size needs a size");
      volumes.emplace();
      volumes->volume_size = parse_volume_size(args[++i]);
      if (volumes->volume_size == 0) return usage(err, "--volume-size takes a size such as 700M or 4G");
    } else if (arg == "--compress") {
      if (i + 1 == args.size()) return usage(err, "--compress needs a level");
      compress_level = parse_compress_level(args[++i]);
      if (compress_level == 0) return usage(err, "--compress takes a level from 1 to 22");
    } else if (arg == "--volume-name") {
      if (i + 1 == args.size()) return usage(err, "--volume-name needs a name");
      volume_name = args[++i];
    } else if (arg == "--list") {
      list = true;
    } else if (arg == "--check") {
      check = true;
    } else if (arg == "--estimate") {
      estimate = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usage(err, "unknown option " + arg);
    } else {
      operands.push_back(arg);
    }
  }

  if (estimate) {
    if (list || check || operands.size() != 1) return usage(err, "--estimate takes one folder");
    const EstimateSettings settings;
    const CompressionEstimate estimated = estimate_tree(operands[0], settings);
    if (!estimated.ok()) {
      report(err, estimated.error);
      return mkfileset_failed;
    }
    // build-setup reads this line.
    out << "mkfileset: estimate for " << operands[0] << ": " << std::fixed << std::setprecision(1)
        << estimated.saving() * 100 << "% smaller with zstd level " << settings.level << " (sampled "
        << estimated.sampled_bytes << " of " << estimated.total_bytes << " bytes in " << estimated.pieces
        << " pieces)\n";
    return mkfileset_ok;
  }

  // Compressed blocks go into setup.exe itself unless volumes are asked for.
  if (compress_level > 0) {
    if (!volumes) volumes.emplace();
    volumes->compress_level = compress_level;
  }

  if (check) {
    if (list || operands.size() != 1) return usage(err, "--check takes one folder");
    const TreeCheck checked = check_tree(operands[0], volumes.has_value());
    if (!checked.ok()) {
      report(err, checked.error);
      return mkfileset_failed;
    }
    out << "mkfileset: " << operands[0] << " can be packed (" << checked.entries << " entries, "
        << checked.file_bytes << " bytes of file data)\n";
    return mkfileset_ok;
  }

  // 4 KiB of table: kept off the stack.
  const auto checksum = std::make_unique<Tdigest>(seed);
  if (list) {
    if (operands.size() != 1) return usage(err, "--list takes one container");
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!read_whole_file(operands[0], bytes, error)) {
      err << "mkfileset: " << error << '\n';
      return mkfileset_failed;
    }
    const ListResult listed = list_payload(operands[0], bytes, *checksum, out, err);
    return listed == ListResult::matches ? mkfileset_ok : mkfileset_failed;
  }

  if (operands.size() != 2) return usage(err, "expected a folder and an output file");
  if (!volume_name.empty() && (!volumes || volumes->volume_size == 0))
    return usage(err, "--volume-name goes with --volume-size");
  if (volumes) {
    const std::optional<std::string> name =
        utf8_to_cp1252(volume_name.empty() ? std::filesystem::path(operands[1]).stem().string() : volume_name);
    if (!name || name->empty() || name->size() > 200 || name->find_first_of("\\/:*?\"<>|") != std::string::npos)
      return usage(err, "--volume-name takes a plain file name in Windows-1252");
    volumes->name = *name;
  }
  std::vector<std::string> added;
  const PackOutcome outcome =
      pack_directory(operands[0], operands[1], *checksum, missing, &added, volumes ? &*volumes : nullptr);
  if (!outcome.ok()) {
    report(err, outcome.error);
    err << "mkfileset: nothing was written\n";
    return mkfileset_failed;
  }
  for (const std::string& name : added) {
    out << "mkfileset: added " << cp1252_to_utf8(name) << ", which the folder does not have\n";
  }
  out << "mkfileset: wrote " << operands[1] << " (" << outcome.entries << " entries, " << outcome.bytes
      << " bytes)\n";
  if (volumes && volumes->compress_level > 0) {
    out << "mkfileset: compressed " << outcome.data_bytes << " bytes of file data to " << outcome.stored_bytes
        << " bytes at level " << volumes->compress_level << '\n';
  }
  if (volumes && volumes->volume_size == 0) {
    out << "mkfileset: wrote " << blocks_path_for(operands[1]).string() << '\n';
  } else if (volumes) {
    out << "mkfileset: wrote " << outcome.volumes << " volume" << (outcome.volumes == 1 ? "" : "s") << " "
        << cp1252_to_utf8(volumes->name) << "-1.bin" << (outcome.volumes > 1 ? " to -" + std::to_string(outcome.volumes) + ".bin" : "")
        << " (" << outcome.data_bytes << " bytes of file data)\n";
  }
  return mkfileset_ok;
}
