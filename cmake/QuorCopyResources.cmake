# cmake -DDEST=<dir> -DSOURCES="<dir>;<dir>" -P QuorCopyResources.cmake
# Mirrors each existing resource folder into DEST (a folder may not exist yet in a fresh clone).
file(MAKE_DIRECTORY ${DEST})
foreach(source IN LISTS SOURCES)
  if(IS_DIRECTORY ${source})
    file(COPY ${source}/ DESTINATION ${DEST})
  endif()
endforeach()
