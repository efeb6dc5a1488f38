# Cross-building for 32-bit Windows with Debian's mingw-w64 (posix threads). Everything links
# statically, so the programs and DLLs import only system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KONVIKA_MINGW_TRIPLET i686-w64-mingw32 CACHE STRING "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
