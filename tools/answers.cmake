# konvika-answers: the sample run's earlier answers, stored through the converter's own
# mapping-table operations (used by scripts/run-sample.sh, not installed).
add_executable(konvika-answers ${CMAKE_CURRENT_LIST_DIR}/konvika-answers.cpp)
target_link_libraries(konvika-answers PRIVATE konvika_mapping_tables)
target_include_directories(konvika-answers PRIVATE ${PROJECT_SOURCE_DIR})
konvika_warnings(konvika-answers)
