# Cross-building for 64-bit Windows: only for the tests on machines without 32-bit wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(KONVIKA_MINGW_TRIPLET x86_64-w64-mingw32 CACHE STRING "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
