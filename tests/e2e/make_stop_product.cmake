# Writes a product of 1,000 small files in 20 folders (and the sample's two
# programs) for the stopped-run tests. Run with -DSOURCE=<staged sample
# product> -DOUT=<folder>.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT}/files)
foreach(item product.ini logo.bmp icon.ico)
  if(EXISTS ${SOURCE}/${item})
    file(COPY ${SOURCE}/${item} DESTINATION ${OUT})
  endif()
endforeach()
file(COPY ${SOURCE}/files/exebin ${SOURCE}/files/uninst DESTINATION ${OUT}/files)
foreach(folder RANGE 10 29)
  foreach(file RANGE 10 59)
    file(WRITE ${OUT}/files/f${folder}/file${file}.dat "new ${folder}/${file}\n")
  endforeach()
endforeach()
