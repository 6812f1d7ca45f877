# The seed of the payload digest: one build-time setting shared by the packer
# and setup.exe. A container verifies only in a setup built with its seed.
set(FILESET_SEED "5A3C91E07B24D6F8A1C3E5072B4D6F81932A4C5E7061B3D5F7092A4C6E8B1D3F"
    CACHE STRING "64 uppercase hexadecimal digits keying the payload digest")
if(NOT FILESET_SEED MATCHES "^[0-9A-F]+$")
  message(FATAL_ERROR "FILESET_SEED must be 64 uppercase hexadecimal digits, got '${FILESET_SEED}'")
endif()
string(LENGTH "${FILESET_SEED}" _seed_length)
if(NOT _seed_length EQUAL 64)
  message(FATAL_ERROR "FILESET_SEED must be 64 uppercase hexadecimal digits, got ${_seed_length}")
endif()
configure_file(${CMAKE_SOURCE_DIR}/payload/code_seed.cpp.in ${CMAKE_BINARY_DIR}/generated/code_seed.cpp @ONLY)
