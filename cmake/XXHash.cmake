# XXH3, the checksum of the payload's files and metadata, from Debian's
# libxxhash-dev. Only its header is used (XXH_INLINE_ALL in payload/xxh3.cpp),
# for the host and the cross build alike, so nothing is linked. The header is
# copied into the build folder: the cross build must not search /usr/include.
find_file(SETUP_XXHASH_HEADER xxhash.h PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT SETUP_XXHASH_HEADER)
  message(FATAL_ERROR "xxhash.h not found: install libxxhash-dev (scripts/install-deps does)")
endif()
configure_file(${SETUP_XXHASH_HEADER} ${CMAKE_BINARY_DIR}/xxhash/xxhash.h COPYONLY)
set(SETUP_XXHASH_INCLUDE_DIR ${CMAKE_BINARY_DIR}/xxhash)
