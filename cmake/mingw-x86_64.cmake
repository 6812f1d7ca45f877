# Cross toolchain for the 64-bit build of the same sources. It is not a second
# product: it lets the Windows-side tests run under Wine's 64-bit loader on
# machines whose kernel runs no 32-bit code. The shipped setup.exe is i686.
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
