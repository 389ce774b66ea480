tf_add_bench(bm_data ${CMAKE_CURRENT_LIST_DIR}/bm_data.cpp)
