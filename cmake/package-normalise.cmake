# Run by cpack on the new zip, before it writes the checksum (CPACK_POST_BUILD_SCRIPTS). CPack writes
# each entry's time in the local time zone and records the uid and gid of whoever packed it, and no
# CMake setting chooses these: strip-nondeterminism writes SOURCE_DATE_EPOCH in UTC and owner 0.
find_program(STRIP_NONDETERMINISM strip-nondeterminism)
if(NOT STRIP_NONDETERMINISM)
  message(FATAL_ERROR "strip-nondeterminism is missing: scripts/ensure-windows-tools installs it")
endif()
foreach(zip IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND ${STRIP_NONDETERMINISM} --type zip --timestamp $ENV{SOURCE_DATE_EPOCH} ${zip}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
