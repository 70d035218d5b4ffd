# Reads the built program's resources back with windres and checks that the version block carries
# project()'s version and the product name (a CTest test of the Windows build).
execute_process(COMMAND ${WINDRES} -i ${EXE} -O rc OUTPUT_VARIABLE rc RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${WINDRES} could not read the resources of ${EXE}")
endif()
string(REPLACE "." ", " number "${VERSION}, 0")
foreach(expected "FILEVERSION ${number}" "PRODUCTVERSION ${number}" "\"FileVersion\", \"${VERSION}\""
                 "\"ProductVersion\", \"${VERSION}\"" "\"ProductName\", \"Sundrovale\"")
  string(FIND "${rc}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "No ${expected} in the version resource of ${EXE}:\n${rc}")
  endif()
endforeach()
