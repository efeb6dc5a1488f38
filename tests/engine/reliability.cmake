# Reliability tests of the converter: faults on real files, kills at random moments and hostile
# input, each fault in a child process so that limits and lost permissions stay there.
file(GLOB reliability_test_sources CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/reliability/*.cpp)
# fork, rlimit and seccomp: Linux only.
if(reliability_test_sources AND TARGET engine_tests AND NOT WIN32)
  konvika_test(reliability_tests
    SOURCES ${reliability_test_sources} ${CMAKE_CURRENT_SOURCE_DIR}/ConversionFixture.cpp
    DEPENDS konvika_engine konvika_test_support)
  add_dependencies(reliability_tests gvread scripted_gvread)
  target_compile_definitions(reliability_tests PRIVATE
    GVREAD_LIBRARY_PATH="$<TARGET_FILE:gvread>"
    SCRIPTED_READER_LIBRARY_PATH="$<TARGET_FILE:scripted_gvread>")
endif()
