# The next version of the end-to-end test product: one file changed, one
# dropped, new ones in a new folder. Run like make_test_product.cmake.
include(${CMAKE_CURRENT_LIST_DIR}/make_test_product.cmake)
file(WRITE ${OUT}/files/readme.txt "Test product, version 2.\r\n")
file(REMOVE "${OUT}/files/straße.txt")
file(WRITE ${OUT}/files/addons/map.dat "a new map\n")
file(WRITE ${OUT}/files/data/levels/three.dat "level three\n")
