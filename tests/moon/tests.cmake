tf_add_test(tst_moonphase moon/tst_moonphase.cpp)
tf_add_test(tst_frmmain moon/tst_frmmain.cpp)
tf_add_test(tst_frmutilities moon/tst_frmutilities.cpp)
