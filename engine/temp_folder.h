#pragma once
// The temporary folder the installer keeps its own things in: the backup
// folders and the stopped-run records. %TEMP%, or the documents folder's
// "temp" when TEMP is not set.

#include <string>

struct FolderTable;

std::string temp_folder(const FolderTable& folders);
