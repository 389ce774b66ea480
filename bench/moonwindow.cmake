tf_add_bench(bm_moonwindow ${CMAKE_CURRENT_SOURCE_DIR}/bm_moonwindow.cpp)
