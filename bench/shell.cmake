# Whole-process start-up of the real executable, timed from outside.
tf_add_bench(bm_startup ${CMAKE_CURRENT_SOURCE_DIR}/bm_startup.cpp)
target_compile_definitions(bm_startup PRIVATE TF_TALLYFIN_EXE="$<TARGET_FILE:tallyfin>")
add_dependencies(bm_startup tallyfin)
