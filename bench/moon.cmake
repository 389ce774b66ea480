tf_add_bench(bm_moon ${CMAKE_CURRENT_SOURCE_DIR}/bm_moon.cpp)
