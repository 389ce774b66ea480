tf_add_test(tst_like data/tst_like.cpp)
tf_add_test(tst_schema data/tst_schema.cpp)
tf_add_test(tst_datasource data/tst_datasource.cpp)
tf_add_test(tst_gridmodel data/tst_gridmodel.cpp)

# The crash test drives a child process that saves rows until it is killed.
add_executable(tf_crash_child data/crash_child.cpp)
target_link_libraries(tf_crash_child PRIVATE tallyfin_core)
tf_add_test(tst_crash data/tst_crash.cpp)
target_compile_definitions(tst_crash PRIVATE TF_CRASH_CHILD="$<TARGET_FILE:tf_crash_child>")
add_dependencies(tst_crash tf_crash_child)

if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/maintenance_tests.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/maintenance_tests.cmake)
endif()
