tf_add_test(tst_moonphase moon/tst_moonphase.cpp)
