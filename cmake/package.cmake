# The release package, made by `cpack --preset windows` (or windows32) after that build:
# build/windows/sundrovale-<version>-win64.zip (build/windows32/...-win32.zip), holding sundrovale.exe
# and the user's guide README.txt, and beside it the zip's SHA-256 in a .sha256 file. The same commit
# gives the same bytes anywhere.
install(TARGETS sundrovale RUNTIME DESTINATION .)
install(FILES docs/README.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_PACKAGE_FILE_NAME sundrovale-${PROJECT_VERSION}-win32)
else()
  set(CPACK_PACKAGE_FILE_NAME sundrovale-${PROJECT_VERSION}-win64)
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)  # the debugging information, with the build's paths, stays in the build folder
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_SUNDROVALE_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package-time.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package-normalise.cmake)
include(CPack)
