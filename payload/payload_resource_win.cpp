#include "payload/payload_resource.h"

#include <windows.h>

namespace {

struct ResourceBytes {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// The bytes of a resource of the running program; null when it is missing
// or cannot be loaded. The real size bounds every later read.
ResourceBytes find_resource(const char* name, int type) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(module, name, MAKEINTRESOURCEA(type));
  if (!info) return {};
  HGLOBAL loaded = LoadResource(module, info);
  if (!loaded) return {};
  const void* data = LockResource(loaded);
  if (!data) return {};
  return {static_cast<const std::uint8_t*>(data), SizeofResource(module, info)};
}

}  // namespace

PayloadCheck load_payload(Tdigest& checksum) {
  const ResourceBytes container = find_resource(fileset_resource_name, fileset_resource_type);
  const ResourceBytes sums = find_resource(fileset_sums_resource_name, fileset_sums_resource_type);
  return check_payload(container.data, container.size, sums.data, sums.size, checksum);
}
