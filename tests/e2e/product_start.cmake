# Included by the product generators: an empty product folder OUT with the
# staged sample's texts, images and its game program from SOURCE (the build
# adds the uninstaller).
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT}/files)
foreach(item product.ini logo.bmp icon.ico)
  if(EXISTS ${SOURCE}/${item})
    file(COPY ${SOURCE}/${item} DESTINATION ${OUT})
  endif()
endforeach()
file(COPY ${SOURCE}/files/exebin DESTINATION ${OUT}/files)
