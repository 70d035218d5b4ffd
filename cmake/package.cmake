# The release package, made by `cpack --preset windows` after the Windows build:
# build/windows/sundrovale-<version>-win64.zip, holding sundrovale.exe and the user's guide README.txt.
install(TARGETS sundrovale RUNTIME DESTINATION .)
install(FILES docs/README.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME sundrovale-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)  # the debugging information stays in the build folder
include(CPack)
