#include "payload/payload_resource.h"

#include <windows.h>

#include "core/own_program.h"
#include "core/win_handle.h"
#include "payload/file_region_win.h"

namespace {

struct ResourceBytes {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// The bytes of a resource of the running program; null when it is missing
// or cannot be loaded. The real size bounds every later read. Nothing of
// them is touched here.
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

// Where the loaded image's bytes at data lie in its file: the section that
// holds them maps its file bytes at its virtual address.
std::optional<std::uint64_t> file_offset(const ResourceBytes& r) {
  const auto* base = reinterpret_cast<const std::uint8_t*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  const std::uint64_t rva = static_cast<std::uint64_t>(r.data - base);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    const std::uint64_t start = section->VirtualAddress;
    if (rva >= start && rva + r.size <= start + section->SizeOfRawData) {
      return section->PointerToRawData + (rva - start);
    }
  }
  return std::nullopt;
}

std::unique_ptr<ByteSource> open_in_program_file(const ResourceBytes& r, const std::string& program) {
  const std::optional<std::uint64_t> offset = file_offset(r);
  if (!offset || program.empty()) return nullptr;
  WinHandle file(CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || *offset + r.size > static_cast<std::uint64_t>(size.QuadPart))
    return nullptr;
  return std::make_unique<FileRegion>(std::move(file), *offset, r.size);
}

}  // namespace

LoadedContainer load_payload(Tdigest& checksum) {
  const ResourceBytes container = find_resource(fileset_resource_name, fileset_resource_type);
  const ResourceBytes sums = find_resource(fileset_sums_resource_name, fileset_sums_resource_type);
  LoadedContainer loaded;
  loaded.program = own_program_path();
  if (container.data) loaded.bytes = open_in_program_file(container, loaded.program);
  loaded.check = check_container(loaded.bytes.get(), sums.data, sums.size, checksum);
  return loaded;
}

IndexLoad load_volume_index(Tdigest& checksum) {
  const ResourceBytes bytes = find_resource(volume_index_resource_name, volume_index_resource_type);
  IndexLoad load;
  load.carried = bytes.data != nullptr;
  std::optional<VolumeIndex> index = VolumeIndex::open(bytes.data, bytes.size);
  if (index && index->verify_digest(checksum)) load.index = std::move(index);
  if (load.index && load.index->in_program()) {
    const ResourceBytes blocks = find_resource(block_resource_name, block_resource_type);
    const std::optional<std::uint64_t> offset = blocks.data ? file_offset(blocks) : std::nullopt;
    load.blocks.path = own_program_path();
    if (offset) {
      load.blocks.offset = *offset;
      load.blocks.size = blocks.size;
    }
  }
  return load;
}
