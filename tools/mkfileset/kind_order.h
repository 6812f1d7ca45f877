#pragma once
// The order in which a compressed payload takes its files. zstd finds
// repeats only within a block, so the packer puts files that are alike next
// to each other: the same kind (the extension, letter case not counting),
// and within a kind by size, which brings copies of one file in different
// folders together. On a real game's data this made the payload 3% smaller
// than the scan's order by name (629.4 MB against 608.1 MB at level 22).
//
// Folders keep the scan's order ahead of every file, so each still comes
// before what it holds. Stored payloads keep the order by name: their
// container stays what it always was.

#include <string>
#include <string_view>

#include "tools/mkfileset/tree_scan.h"

// A file's kind: the extension of its name's last part, letter case folded
// as Windows folds it ("PNG" for "tracks\sand\Sand.png"); empty for none,
// and for a name like ".hidden".
std::string file_kind(std::string_view name);

// Orders the files of a scan by kind, then size, then name.
void order_by_kind(TreeScan& scan);
