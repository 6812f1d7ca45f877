#include "tests/e2e/machine_state.h"

#include <windows.h>
#include <tlhelp32.h>

#include "system/uninstall_registration.h"
#include "tests/driver/process.h"
#include "tests/support/registry_view.h"

TreeSnapshot machine() {
  TreeSnapshot tree = snapshot("C:");
  char temp[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
  const std::string copies = std::string(temp, n).substr(3) + "\\Uninstall_";
  for (auto it = tree.begin(); it != tree.end();) {
    it = it->first.rfind(copies, 0) == 0 ? tree.erase(it) : std::next(it);
  }
  return tree;
}

std::string uninstall_keys() {
  std::string out;
  HKEY root = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, uninstall_root_key, 0, KEY_READ | program_registry_view(), &root) != 0) {
    return out;
  }
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(root, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    out += std::string(name) + "\n";
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, name, 0, KEY_READ | program_registry_view(), &key) != ERROR_SUCCESS) continue;
    for (DWORD v = 0;; ++v) {
      char value[256];
      BYTE data[2048];
      DWORD value_size = sizeof value, data_size = sizeof data, type = 0;
      if (RegEnumValueA(key, v, value, &value_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
      out += "  " + std::string(value) + "=" + std::string(reinterpret_cast<char*>(data), data_size) + "\n";
    }
    RegCloseKey(key);
  }
  RegCloseKey(root);
  return out;
}

std::optional<std::string> entry_value(const std::string& key, const char* value) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(uninstall_root_key) + key).c_str(), 0,
                    KEY_READ | program_registry_view(), &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  char data[2048] = {};
  DWORD size = sizeof data - 1, type = 0;
  const LONG rc = RegQueryValueExA(opened, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(opened);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  return std::string(data);
}

namespace {

bool uninstaller_running() {
  const HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 p = {};
  p.dwSize = sizeof p;
  bool found = false;
  for (BOOL more = Process32First(all, &p); more && !found; more = Process32Next(all, &p)) {
    found = lstrcmpiA(p.szExeFile, "uninstall.exe") == 0;
  }
  CloseHandle(all);
  return found;
}

}  // namespace

SetupRun run_command(const std::string& command) {
  SetupRun result;
  driver::Process process = driver::Process::start(command);
  if (!process.started()) return result;
  driver::Driver d;
  const driver::ExitWatch watch = d.wait_for_exit(process.handle(), 0, 60000, [&](const driver::Dialog& box) {
    d.press(box, box.buttons.front().id);
  });
  for (int i = 0; i < 200 && uninstaller_running(); ++i) Sleep(50);
  result.finished = watch.exited;
  result.exit_code = watch.exit_code;
  result.boxes = watch.dialogs;
  result.log = d.log().text();
  return result;
}

