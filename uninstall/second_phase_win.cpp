#include "uninstall/second_phase.h"

#include <windows.h>

#include <cctype>

#include "core/own_program.h"
#include "core/paths.h"
#include "core/win_handle.h"
#include "system/launch_args.h"
#include "uninstall/uninstall_options.h"

namespace {

constexpr const char* copy_prefix = "Uninstall_";
constexpr int folder_attempts = 16;

bool is_copy_folder(const std::string& name) {
  if (name.size() != 18 || name.compare(0, 10, copy_prefix) != 0) return false;
  for (std::size_t i = 10; i < name.size(); ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

std::string fresh_folder(const std::string& temp) {
  static constexpr char digits[] = "0123456789ABCDEF";
  DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (int attempt = 0; attempt < folder_attempts; ++attempt) {
    seed = seed * 1664525u + 1013904223u;
    std::string name = copy_prefix;
    for (int shift = 28; shift >= 0; shift -= 4) name += digits[(seed >> shift) & 0xF];
    const std::string folder = join_path(temp, name);
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return {};
}

}  // namespace

std::optional<int> hand_over(const std::string& temp, const std::vector<std::string>& user_arguments) {
  const std::string program = own_program_path();
  if (program.empty() || temp.empty()) return std::nullopt;
  const std::string folder = fresh_folder(temp);
  if (folder.empty()) return std::nullopt;
  const std::string copy = join_path(folder, program.substr(program.rfind('\\') + 1));
  if (!CopyFileA(program.c_str(), copy.c_str(), TRUE)) {
    RemoveDirectoryA(folder.c_str());
    return std::nullopt;
  }
  // Where the system allows it, the copy goes at the next reboot at the latest.
  MoveFileExA(copy.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);

  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr, self = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return std::nullopt;
  const WinHandle reader(read);
  WinHandle writer(write);
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0)) {
    return std::nullopt;
  }
  WinHandle original(self);

  std::string command = quote_argument(copy);
  for (const std::string& a :
       second_phase_arguments(reinterpret_cast<std::uintptr_t>(write), reinterpret_cast<std::uintptr_t>(self),
                              program, user_arguments)) {
    command += " " + quote_argument(a);
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  // Started in the temporary folder: a working folder inside the
  // installation would keep that folder from being removed.
  if (!CreateProcessA(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, temp.c_str(), &startup,
                      &started)) {
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
    return std::nullopt;
  }
  CloseHandle(started.hThread);
  const WinHandle child(started.hProcess);
  // Only the copy holds the writing end now: the read ends when it closes it.
  writer.reset();
  original.reset();
  std::int32_t code = 0;
  DWORD got = 0;
  if (ReadFile(read, &code, sizeof code, &got, nullptr) && got == sizeof code) return code;
  // The copy ended without a result: its own exit code, if it has one.
  DWORD exit_code = 0;
  WaitForSingleObject(started.hProcess, INFINITE);
  return GetExitCodeProcess(started.hProcess, &exit_code) ? static_cast<int>(exit_code) : 6;
}

void send_result(std::uint64_t pipe, int code) {
  const HANDLE h = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(pipe));
  const std::int32_t value = code;
  DWORD written = 0;
  WriteFile(h, &value, sizeof value, &written, nullptr);
  CloseHandle(h);
}

void wait_for_original(std::uint64_t process) {
  const HANDLE h = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(process));
  WaitForSingleObject(h, 30000);
  CloseHandle(h);
}

void remove_earlier_copies(const std::string& temp) {
  if (temp.empty()) return;
  WIN32_FIND_DATAA found;
  std::vector<std::string> folders;
  {
    const FindHandle find(FindFirstFileA(join_path(temp, "Uninstall_*").c_str(), &found));
    if (!find) return;
    do {
      const DWORD a = found.dwFileAttributes;
      if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT) && is_copy_folder(found.cFileName)) {
        folders.push_back(join_path(temp, found.cFileName));
      }
    } while (FindNextFileA(find.get(), &found));
  }
  // A copy that still runs cannot be deleted: its folder stays for next time.
  for (const std::string& folder : folders) {
    std::vector<std::string> files;
    {
      const FindHandle find(FindFirstFileA(join_path(folder, "*").c_str(), &found));
      if (!find) continue;
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(join_path(folder, found.cFileName));
      } while (FindNextFileA(find.get(), &found));
    }
    for (const std::string& f : files) DeleteFileA(f.c_str());
    RemoveDirectoryA(folder.c_str());
  }
}
