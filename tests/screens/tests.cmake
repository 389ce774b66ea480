tf_add_test(tst_recordcycle screens/tst_recordcycle.cpp)
tf_add_test(tst_frmlogs screens/tst_frmlogs.cpp)
# Print is also tried through the report engine with the definition the build
# places in the program folder.
target_compile_definitions(tst_frmlogs PRIVATE TF_PROGRAM_FOLDER="${TF_PROGRAM_DIR}")
