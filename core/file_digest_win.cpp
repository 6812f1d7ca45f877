#include "core/file_digest.h"

#include <memory>
#include <new>

#include "core/entry_point_win.h"
#include "core/hex.h"

namespace {

// The BCrypt calls, declared here so as not to depend on the Vista headers.
using Status = LONG;
using OpenProvider = Status(WINAPI*)(void** algorithm, const wchar_t* id, const wchar_t* implementation, ULONG flags);
using CloseProvider = Status(WINAPI*)(void* algorithm, ULONG flags);
using CreateHash = Status(WINAPI*)(void* algorithm, void** hash, UCHAR* object, ULONG object_size, UCHAR* secret,
                                   ULONG secret_size, ULONG flags);
using HashData = Status(WINAPI*)(void* hash, const UCHAR* input, ULONG size, ULONG flags);
using FinishHash = Status(WINAPI*)(void* hash, UCHAR* output, ULONG size, ULONG flags);
using DestroyHash = Status(WINAPI*)(void* hash);

struct Bcrypt {
  HMODULE module = LoadLibraryA("bcrypt.dll");
  OpenProvider open = nullptr;
  CloseProvider close = nullptr;
  CreateHash create = nullptr;
  HashData data = nullptr;
  FinishHash finish = nullptr;
  DestroyHash destroy = nullptr;

  Bcrypt() {
    open = find_entry_point<OpenProvider>(module, "BCryptOpenAlgorithmProvider");
    close = find_entry_point<CloseProvider>(module, "BCryptCloseAlgorithmProvider");
    create = find_entry_point<CreateHash>(module, "BCryptCreateHash");
    data = find_entry_point<HashData>(module, "BCryptHashData");
    finish = find_entry_point<FinishHash>(module, "BCryptFinishHash");
    destroy = find_entry_point<DestroyHash>(module, "BCryptDestroyHash");
  }
  ~Bcrypt() {
    if (module) FreeLibrary(module);
  }
  Bcrypt(const Bcrypt&) = delete;
  Bcrypt& operator=(const Bcrypt&) = delete;
  bool usable() const { return open && close && create && data && finish && destroy; }
};

constexpr DWORD piece = 1 << 20;

}  // namespace

std::string file_sha256(HANDLE file) {
  const Bcrypt bcrypt;
  if (!bcrypt.usable()) return {};
  void* algorithm = nullptr;
  if (bcrypt.open(&algorithm, L"SHA256", nullptr, 0) != 0) return {};
  std::string digest;
  void* hash = nullptr;
  if (bcrypt.create(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0) {
    const std::unique_ptr<UCHAR[]> buffer(new (std::nothrow) UCHAR[piece]);
    LARGE_INTEGER start{};
    bool ok = buffer && SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
    DWORD got = 0;
    while (ok && (ok = ReadFile(file, buffer.get(), piece, &got, nullptr)) && got > 0) {
      ok = bcrypt.data(hash, buffer.get(), got, 0) == 0;
    }
    UCHAR out[32];
    if (ok && bcrypt.finish(hash, out, sizeof out, 0) == 0) {
      digest = to_hex(std::string_view(reinterpret_cast<const char*>(out), sizeof out));
    }
    bcrypt.destroy(hash);
  }
  bcrypt.close(algorithm, 0);
  return digest;
}
