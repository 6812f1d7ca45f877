# Packs a product's files/ with the project's uninstaller added at every
# uninstaller_path that files/ has no file at (the list mkproductrc wrote).
# Run with -DMKFILESET= -DSEED= -DFILES= -DOUT= -DLIST= -DUNINSTALLER=, and
# for data volumes -DVOLUME_SIZE= -DVOLUME_NAME=, and to compress -DCOMPRESS=.
file(STRINGS ${LIST} places ENCODING UTF-8)
set(add)
foreach(place IN LISTS places)
  list(APPEND add --add-missing "${place}=${UNINSTALLER}")
endforeach()
set(volumes)
if(VOLUME_SIZE)
  set(volumes --volume-size ${VOLUME_SIZE} --volume-name ${VOLUME_NAME})
endif()
if(COMPRESS)
  list(APPEND volumes --compress ${COMPRESS})
endif()
execute_process(COMMAND ${MKFILESET} --seed ${SEED} ${add} ${volumes} ${FILES} ${OUT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "mkfileset failed for ${FILES}")
endif()
