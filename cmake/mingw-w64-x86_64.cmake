# The 64-bit program, for 64-bit Windows 7 to 11 (and Windows 11 on ARM, which emulates x64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
