# konvika-tables writes the price-table template and the sample units-of-measure tables; the
# install step runs it on the install prefix, so the files follow the engine that reads them.
add_executable(konvika-tables ${CMAKE_CURRENT_LIST_DIR}/konvika-tables.cpp)
target_link_libraries(konvika-tables PRIVATE konvika_dbf konvika_text konvika_platform)
target_include_directories(konvika-tables PRIVATE ${PROJECT_SOURCE_DIR})
konvika_warnings(konvika-tables)
install(CODE "
  execute_process(COMMAND \"$<TARGET_FILE:konvika-tables>\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\"
                  RESULT_VARIABLE konvika_tables_result)
  if(NOT konvika_tables_result EQUAL 0)
    message(FATAL_ERROR \"konvika-tables failed: \${konvika_tables_result}\")
  endif()
  message(STATUS \"Written: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Morvel/Shablon/Resurs/cenashab.dbf, sample/units/Ei1.dbf, Ei2.dbf\")")
