# konvika-sample: writes source price files for the sample run, end-to-end tests and
# benchmarks; installed beside the program together with the shipped sample price file.
add_executable(konvika-sample ${CMAKE_CURRENT_LIST_DIR}/konvika-sample.cpp)
target_link_libraries(konvika-sample PRIVATE konvika_text)
target_include_directories(konvika-sample PRIVATE ${PROJECT_SOURCE_DIR})
konvika_warnings(konvika-sample)
install(TARGETS konvika-sample RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/sample/prices.txt DESTINATION sample)
