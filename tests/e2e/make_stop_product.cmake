# Writes a product of 1,000 small files in 20 folders (and the sample's two
# programs) for the stopped-run tests. Run with -DSOURCE=<staged sample
# product> -DOUT=<folder>.
include(${CMAKE_CURRENT_LIST_DIR}/product_start.cmake)
foreach(folder RANGE 10 29)
  foreach(file RANGE 10 59)
    file(WRITE ${OUT}/files/f${folder}/file${file}.dat "new ${folder}/${file}\n")
  endforeach()
endforeach()
