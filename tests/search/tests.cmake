tf_add_test(tst_frmsearch search/tst_frmsearch.cpp)
