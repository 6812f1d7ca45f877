# Windows-side tests run under Wine: CTest starts them through a wrapper that
# points Wine at the build's own prefix and a private HOME. The i686 build runs
# in a 32-bit prefix, the x86_64 test build in a 64-bit one under Wine's
# 64-bit loader (scripts/wine-env.sh).
set(SETUP_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix for the tests")
set(SETUP_WINE_HOME ${CMAKE_BINARY_DIR}/winehome)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(SETUP_WINE_ARCH x86_64)
else()
  set(SETUP_WINE_ARCH i686)
endif()
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# The Windows path under which a Wine program sees a host path (drive Z: is /).
function(wine_path out path)
  string(REPLACE "/" "\\" _p "${path}")
  set(${out} "Z:${_p}" PARENT_SCOPE)
endfunction()

# add_win_tests_fixture(<fixture> SCRIPT <script> ARGS <args...> FILTER <gtest filter>)
#   win_tests_<fixture> runs the win_tests cases of the filter between
#   `sh <script> setup <args>` and `sh <script> cleanup <args>`; other tests
#   can require the fixture by its name.
function(add_win_tests_fixture fixture)
  cmake_parse_arguments(arg "" "SCRIPT;FILTER" "ARGS" ${ARGN})
  add_test(NAME win_tests_${fixture}_setup COMMAND sh ${arg_SCRIPT} setup ${arg_ARGS})
  add_test(NAME win_tests_${fixture}_cleanup COMMAND sh ${arg_SCRIPT} cleanup ${arg_ARGS})
  add_test(NAME win_tests_${fixture} COMMAND win_tests --gtest_filter=${arg_FILTER})
  set_tests_properties(win_tests_${fixture}_setup PROPERTIES FIXTURES_SETUP ${fixture} RESOURCE_LOCK wineprefix)
  set_tests_properties(win_tests_${fixture}_cleanup PROPERTIES FIXTURES_CLEANUP ${fixture} RESOURCE_LOCK wineprefix)
  set_tests_properties(win_tests_${fixture} PROPERTIES FIXTURES_REQUIRED ${fixture} RESOURCE_LOCK wineprefix)
endfunction()
