# Read by cpack before it installs and packs (CPACK_PROJECT_CONFIG_FILE). Strip stamps the exe's PE
# header with SOURCE_DATE_EPOCH when it is set and with the clock when not, and package-normalise.cmake
# stamps the zip's entries with it: unless the caller chose one, it is the commit's time.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C "${CPACK_SUNDROVALE_SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed OR epoch STREQUAL "")
    message(FATAL_ERROR "${CPACK_SUNDROVALE_SOURCE_DIR} is not a git checkout: set SOURCE_DATE_EPOCH")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
