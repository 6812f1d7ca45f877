#pragma once
// The plan of an installation, made in one pass over all entries before
// anything is written: a container is accepted only when every one of its
// entries would install, so that extraction meets nothing but what the disk
// does. Names are compared as Windows compares them, without letter case.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "payload/fileset.h"
#include "payload/payload_layout.h"

enum class PlanFault {
  none,
  names_damaged,        // the names block does not hold exactly count names
  sizes_do_not_add_up,  // the file sizes do not fill the data block exactly
  bad_name,             // empty, leaves the folder, a drive, stream or device name,
                        // a character Windows forbids, a trailing dot or blank
  name_too_long,        // its path or record would not fit below any folder
  duplicate,            // the same path twice
  file_and_folder,      // a file and a folder of the same path
  inside_a_file,        // below a path that is a file
  own_file,             // where the installation writes its own file (the journal)
};

struct PlanProblem {
  PlanFault fault = PlanFault::none;
  std::int32_t entry = -1;  // the entry it is about; -1 for the container or the own file
  bool ok() const { return fault == PlanFault::none; }
};

// The shortest installation folder there can be, "C:\".
constexpr std::size_t shortest_install_dir = 3;

class InstallPlan {
 public:
  // Walks all entries of the container once; entries with a size below -1
  // are passed over, as the installation does.
  explicit InstallPlan(const FilesetView& fileset);
  explicit InstallPlan(const PayloadLayout& layout);

  const PlanProblem& problem() const { return problem_; }
  bool ok() const { return problem_.ok(); }

  // Whether the installation may write a file of its own at relative (below
  // the installation folder): not when an entry has that path or a file
  // lies where one of its folders must be.
  PlanProblem check_own_file(std::string_view relative) const;

  // Whether every entry's path and journal record stay within 255 characters
  // below destination (which ends with "\").
  bool fits_below(std::string_view destination) const;

 private:
  enum class Kind { file, folder, implied_folder };

  void plan(const PayloadLayout& layout);
  PlanFault add_entry(const std::string& name, bool folder);

  std::unordered_map<std::string, Kind> paths_;  // by fold_name_case
  std::size_t longest_file_ = 0;
  std::size_t longest_folder_ = 0;
  PlanProblem problem_;
};
