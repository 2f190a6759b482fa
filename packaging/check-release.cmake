# Fails unless the first (newest) release of the metainfo FILE is VERSION.
# Usage: cmake -DFILE=<metainfo.xml> -DVERSION=<x.y.z> -P check-release.cmake
file(READ "${FILE}" metainfo)
string(REGEX MATCH "<release version=\"([^\"]+)\"" found "${metainfo}")
if(NOT found)
  message(FATAL_ERROR "${FILE}: no <release> entry")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "${FILE}: the newest release is ${CMAKE_MATCH_1}, the project is ${VERSION}; "
                      "add a <release version=\"${VERSION}\" date=\"...\"/> entry first")
endif()
message(STATUS "newest release ${CMAKE_MATCH_1} matches the project version")
