# Report engine, definitions and the report choice window.
set(TF_REPORT_FIXTURE ${CMAKE_CURRENT_LIST_DIR}/ReportFixture.cpp)
foreach(name reporttemplate reportdefinition)
  tf_add_test(tst_${name} ${CMAKE_CURRENT_LIST_DIR}/tst_${name}.cpp)
endforeach()
foreach(name reportengine reports)
  tf_add_test(tst_${name} ${CMAKE_CURRENT_LIST_DIR}/tst_${name}.cpp ${TF_REPORT_FIXTURE})
  target_compile_definitions(tst_${name} PRIVATE TF_REPORT_DEFINITIONS="${CMAKE_SOURCE_DIR}/src/reports/definitions"
                                                TF_HELP_FOLDER="${CMAKE_SOURCE_DIR}/help")
endforeach()

# The benchmark lives here with its fixture; it lands in bench/ so scripts/bench runs it.
if(TF_BENCH)
  find_package(benchmark QUIET)
  if(benchmark_FOUND)
    add_executable(bm_reports ${CMAKE_CURRENT_LIST_DIR}/bm_reports.cpp ${TF_REPORT_FIXTURE})
    target_link_libraries(bm_reports PRIVATE tallyfin_testsupport benchmark::benchmark)
    target_compile_definitions(bm_reports PRIVATE TF_REPORT_DEFINITIONS="${CMAKE_SOURCE_DIR}/src/reports/definitions")
    set_target_properties(bm_reports PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  endif()
endif()
