# zstd, the compression of the payload's blocks (BSD licence). One target,
# zstd_decoder, for everything that decodes:
#   - the Windows builds compile the decoder alone from Debian's own source
#     package (scripts/fetch-zstd pins the version and unpacks it into
#     SETUP_THIRD_PARTY_DIR): no encoder, no legacy formats, no threads, no
#     assembly, so setup.exe carries only what it runs;
#   - the host links Debian's libzstd (libzstd-dev), of the same version;
#   - the fuzz build (SETUP_FUZZ) compiles the same decoder sources as the
#     Windows builds, so that what it fuzzes is instrumented and is the code
#     setup.exe runs.
# Every build for the host, the fuzz build too, also has zstd_host: Debian's
# whole library, encoder included, for the host tools and the tests.
include_guard(GLOBAL)

set(SETUP_THIRD_PARTY_DIR ${CMAKE_SOURCE_DIR}/build/third_party CACHE PATH
    "Where scripts/fetch-zstd puts Debian's zstd sources")

# The host's own library: the packer's encoder, and the decoder of the host build.
if(NOT WIN32)
  find_path(SETUP_ZSTD_INCLUDE_DIR zstd.h)
  find_library(SETUP_ZSTD_LIBRARY zstd)
  if(NOT SETUP_ZSTD_INCLUDE_DIR OR NOT SETUP_ZSTD_LIBRARY)
    message(FATAL_ERROR "libzstd not found: install libzstd-dev (scripts/install-deps does)")
  endif()
  add_library(zstd_host INTERFACE)
  target_include_directories(zstd_host INTERFACE ${SETUP_ZSTD_INCLUDE_DIR})
  target_link_libraries(zstd_host INTERFACE ${SETUP_ZSTD_LIBRARY})
endif()

if(WIN32 OR SETUP_FUZZ)
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-zstd ${SETUP_THIRD_PARTY_DIR}
                  OUTPUT_VARIABLE _zstd_tree OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE _zstd_rc)
  if(NOT _zstd_rc EQUAL 0 OR NOT EXISTS ${_zstd_tree}/lib/zstd.h)
    message(FATAL_ERROR "zstd sources missing: scripts/fetch-zstd failed (see above)")
  endif()
  set(_zlib ${_zstd_tree}/lib)
  add_library(zstd_decoder STATIC
    ${_zlib}/common/entropy_common.c ${_zlib}/common/error_private.c ${_zlib}/common/fse_decompress.c
    ${_zlib}/common/xxhash.c ${_zlib}/common/zstd_common.c
    ${_zlib}/decompress/huf_decompress.c ${_zlib}/decompress/zstd_ddict.c
    ${_zlib}/decompress/zstd_decompress.c ${_zlib}/decompress/zstd_decompress_block.c)
  # The assembly Huffman decoder is only enabled for ELF targets anyway;
  # ZSTD_DISABLE_ASM says so for every build. Error names are never shown.
  target_compile_definitions(zstd_decoder PRIVATE ZSTD_LEGACY_SUPPORT=0 ZSTD_DISABLE_ASM ZSTD_TRACE=0
                                                  ZSTD_STRIP_ERROR_STRINGS XXH_NAMESPACE=ZSTD_)
  target_include_directories(zstd_decoder PUBLIC ${_zlib})
  set_target_properties(zstd_decoder PROPERTIES C_STANDARD 99 C_EXTENSIONS ON)
else()
  add_library(zstd_decoder ALIAS zstd_host)
endif()
