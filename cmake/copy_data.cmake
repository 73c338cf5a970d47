# Copies the folders that lie beside the program at run time into the build
# tree. Run as a build step: file(COPY) skips files that are already up to
# date. The configuration is copied only where the build tree has none, so a
# configuration edited there (or written by dbadmin) is never overwritten.
#   cmake -DSOURCE_DIR=<source tree> -DBINARY_DIR=<build tree> -P copy_data.cmake
foreach(data report help db)
  if(EXISTS "${SOURCE_DIR}/${data}")
    file(COPY "${SOURCE_DIR}/${data}" DESTINATION "${BINARY_DIR}")
  endif()
endforeach()
if(NOT EXISTS "${BINARY_DIR}/config/config.ini")
  file(COPY "${SOURCE_DIR}/config" DESTINATION "${BINARY_DIR}")
endif()
