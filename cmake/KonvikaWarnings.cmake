# Warnings for the project's own targets (never for system headers).
function(konvika_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
  if(KONVIKA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# A static library of one layer: every .cpp of the folder, headers found from the project root.
function(konvika_layer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;LABELS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  konvika_warnings(${name})
endfunction()

# One GoogleTest executable for a test folder, registered test by test with CTest.
function(konvika_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  konvika_warnings(${name})
  if(CMAKE_CROSSCOMPILING)
    # One test per program: each start under the emulator (wine) costs a second or two.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
      "KONVIKA_SOURCE_DIR=${PROJECT_SOURCE_DIR};KONVIKA_BINARY_DIR=${PROJECT_BINARY_DIR}")
  else()
    if(ARG_LABELS)
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
    else()
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    endif()
  endif()
endfunction()
