# The 32-bit program, for 32-bit Windows 7 to 11 and Windows 10 on ARM, which emulates x86 alone.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
