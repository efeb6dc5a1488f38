# The converter's end-to-end tests load real reader libraries from a program folder: the
# development library and a scripted one that provokes the reader's error codes.
add_library(scripted_gvread MODULE ${CMAKE_CURRENT_SOURCE_DIR}/ScriptedReader.cpp)
target_include_directories(scripted_gvread PRIVATE ${PROJECT_SOURCE_DIR})
set_target_properties(scripted_gvread PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden)
konvika_warnings(scripted_gvread)

list(FILTER engine_test_sources EXCLUDE REGEX "/ScriptedReader\\.cpp$")
konvika_test(engine_tests SOURCES ${engine_test_sources}
  DEPENDS konvika_engine konvika_test_support)
add_dependencies(engine_tests gvread scripted_gvread)
target_compile_definitions(engine_tests PRIVATE
  GVREAD_LIBRARY_PATH="$<TARGET_FILE:gvread>"
  SCRIPTED_READER_LIBRARY_PATH="$<TARGET_FILE:scripted_gvread>")

# Windows: a conversion ended with TerminateProcess keeps what it stored (the fork-based
# reliability tests are Linux only).
if(WIN32)
  konvika_test(engine_windows_tests
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/win32/TerminatedConversionTest.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/ConversionFixture.cpp
    DEPENDS konvika_engine konvika_test_support)
  add_dependencies(engine_windows_tests gvread scripted_gvread)
  target_compile_definitions(engine_windows_tests PRIVATE
    GVREAD_LIBRARY_PATH="$<TARGET_FILE:gvread>"
    SCRIPTED_READER_LIBRARY_PATH="$<TARGET_FILE:scripted_gvread>")
endif()
