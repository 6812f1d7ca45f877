#include "payload/payload_resource.h"

#include <windows.h>

std::optional<FilesetView> load_payload() {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(module, fileset_resource_name, MAKEINTRESOURCEA(fileset_resource_type));
  if (!info) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, info);
  if (!loaded) return std::nullopt;
  const void* image = LockResource(loaded);
  if (!image) return std::nullopt;
  // The real size bounds every later read of the container.
  return FilesetView::open(static_cast<const std::uint8_t*>(image), SizeofResource(module, info));
}

bool verify_payload(Tchecksum& checksum, std::optional<FilesetView>& payload) {
  payload = load_payload();
  return payload && checksum.verify_container(*payload);
}
