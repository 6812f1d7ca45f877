# Cross toolchain for the product: the 32-bit Windows program.
set(MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
