#include "core/file_digest.h"

#include <new>

#include "core/hex.h"
#include "core/sha256.h"

namespace {

constexpr DWORD piece = 1 << 20;

}  // namespace

std::string FileDigester::digest(HANDLE file) const {
  if (!buffer_) buffer_.reset(new (std::nothrow) unsigned char[piece]);
  LARGE_INTEGER start{};
  if (!buffer_ || !SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return {};
  Sha256 hash;
  DWORD got = 0;
  for (;;) {
    if (!ReadFile(file, buffer_.get(), piece, &got, nullptr)) return {};
    if (got == 0) break;
    hash.update(buffer_.get(), got);
  }
  const Sha256Digest out = hash.finish();
  return to_hex(std::string_view(reinterpret_cast<const char*>(out.data()), out.size()));
}

std::string file_sha256(HANDLE file) { return FileDigester().digest(file); }
