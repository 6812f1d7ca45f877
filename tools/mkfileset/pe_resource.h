#pragma once
// Finds a resource in a Windows program (PE32 or PE32+) held in memory, the
// way the loader would: section table, then the resource tree (type, name,
// language). Every offset and size the file states is checked against the
// bytes at hand; a cut or hostile file gives a status, never a read outside.

#include <cstddef>
#include <cstdint>
#include <string_view>

enum class PeResourceStatus {
  found,
  not_a_program,  // no "MZ" header with a "PE" signature behind it
  not_found,      // a program without that resource
  damaged,        // a program whose headers or resource tree point outside the file
};

struct PeResource {
  PeResourceStatus status = PeResourceStatus::not_a_program;
  std::size_t offset = 0;  // where the resource's bytes start in the file (found)
  std::size_t size = 0;    // how many there are; offset + size never exceeds the file
};

// The resource of the given numeric type and string name (ASCII, compared
// without regard to case, as the loader does), in whichever language comes
// first.
PeResource find_pe_resource(const std::uint8_t* image, std::size_t size, std::uint16_t type,
                            std::string_view name);
