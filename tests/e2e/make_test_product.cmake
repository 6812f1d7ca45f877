# Writes a product folder for the end-to-end tests: nested folders, an empty
# file, an empty folder, a file of several MB and names with letters outside
# ASCII. Run with -DSOURCE=<staged sample product> -DOUT=<folder>.
include(${CMAKE_CURRENT_LIST_DIR}/product_start.cmake)

file(WRITE ${OUT}/files/readme.txt "Test product.\r\n")
file(WRITE ${OUT}/files/data/levels/one/level1.dat "level one\n")
file(WRITE ${OUT}/files/data/levels/two/level2.dat "level two\n")
file(WRITE ${OUT}/files/data/empty.dat "")
file(MAKE_DIRECTORY ${OUT}/files/empty_folder)
file(WRITE "${OUT}/files/Grüße/Übersicht.txt" "Umlaute im Namen\n")
file(WRITE "${OUT}/files/straße.txt" "sharp s\n")
file(WRITE "${OUT}/files/data/ö.txt" "o umlaut\n")

# About 6 MiB in blocks of 64 KiB that each start with their own number, so
# misplaced bytes show.
string(REPEAT "0123456789abcdef" 4096 filler)
set(mib "")
foreach(i RANGE 0 15)
  string(APPEND mib "<${i}>${filler}")
endforeach()
file(WRITE ${OUT}/files/big/movie.bin "")
foreach(i RANGE 0 5)
  file(APPEND ${OUT}/files/big/movie.bin "[${i}]${mib}")
endforeach()
