# Puts a product's data volumes beside its setup.exe, in place of any that
# an earlier build left there: linked where the file system allows (the
# packer replaces a volume, never rewrites it), copied elsewhere.
# Run with -DFROM= -DTO= -DNAME=.
file(GLOB stale "${TO}/${NAME}-*.bin")
if(stale)
  file(REMOVE ${stale})
endif()
file(GLOB volumes "${FROM}/${NAME}-*.bin")
foreach(volume IN LISTS volumes)
  get_filename_component(name ${volume} NAME)
  file(CREATE_LINK ${volume} "${TO}/${name}" COPY_ON_ERROR)
endforeach()
