#include "core/file_digest.h"

#include <memory>
#include <new>

#include "core/entry_point_win.h"
#include "core/hex.h"

// The BCrypt calls, declared here so as not to depend on the Vista headers.
struct FileDigester::Api {
  using Status = LONG;
  using OpenProvider = Status(WINAPI*)(void** algorithm, const wchar_t* id, const wchar_t* implementation, ULONG flags);
  using CloseProvider = Status(WINAPI*)(void* algorithm, ULONG flags);
  using CreateHash = Status(WINAPI*)(void* algorithm, void** hash, UCHAR* object, ULONG object_size, UCHAR* secret,
                                     ULONG secret_size, ULONG flags);
  using HashData = Status(WINAPI*)(void* hash, const UCHAR* input, ULONG size, ULONG flags);
  using FinishHash = Status(WINAPI*)(void* hash, UCHAR* output, ULONG size, ULONG flags);
  using DestroyHash = Status(WINAPI*)(void* hash);

  HMODULE module = LoadLibraryA("bcrypt.dll");
  OpenProvider open = find_entry_point<OpenProvider>(module, "BCryptOpenAlgorithmProvider");
  CloseProvider close = find_entry_point<CloseProvider>(module, "BCryptCloseAlgorithmProvider");
  CreateHash create = find_entry_point<CreateHash>(module, "BCryptCreateHash");
  HashData data = find_entry_point<HashData>(module, "BCryptHashData");
  FinishHash finish = find_entry_point<FinishHash>(module, "BCryptFinishHash");
  DestroyHash destroy = find_entry_point<DestroyHash>(module, "BCryptDestroyHash");

  ~Api() {
    if (module) FreeLibrary(module);
  }
  bool usable() const { return open && close && create && data && finish && destroy; }
};

namespace {

constexpr DWORD piece = 1 << 20;

}  // namespace

FileDigester::FileDigester() : api_(new (std::nothrow) Api) {
  if (api_ && api_->usable() && api_->open(&algorithm_, L"SHA256", nullptr, 0) != 0) algorithm_ = nullptr;
}

FileDigester::~FileDigester() {
  if (algorithm_) api_->close(algorithm_, 0);
  delete api_;
}

std::string FileDigester::digest(HANDLE file) const {
  if (!algorithm_) return {};
  void* hash = nullptr;
  if (api_->create(algorithm_, &hash, nullptr, 0, nullptr, 0, 0) != 0) return {};
  std::string digest;
  const std::unique_ptr<UCHAR[]> buffer(new (std::nothrow) UCHAR[piece]);
  LARGE_INTEGER start{};
  bool ok = buffer && SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
  DWORD got = 0;
  while (ok && (ok = ReadFile(file, buffer.get(), piece, &got, nullptr)) && got > 0) {
    ok = api_->data(hash, buffer.get(), got, 0) == 0;
  }
  UCHAR out[32];
  if (ok && api_->finish(hash, out, sizeof out, 0) == 0) {
    digest = to_hex(std::string_view(reinterpret_cast<const char*>(out), sizeof out));
  }
  api_->destroy(hash);
  return digest;
}

std::string file_sha256(HANDLE file) { return FileDigester().digest(file); }
