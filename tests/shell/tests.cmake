tf_add_test(tst_windowchrome shell/tst_windowchrome.cpp)
tf_add_test(tst_windowregistry shell/tst_windowregistry.cpp)
tf_add_test(tst_frmstart shell/tst_frmstart.cpp)
tf_add_test(tst_shellwindows shell/tst_shellwindows.cpp)

# The help tests read the help file the build compiles from help/*.html.
tf_add_test(tst_help shell/tst_help.cpp)
target_compile_definitions(tst_help PRIVATE TF_HELP_FILE="${TF_PROGRAM_DIR}/tfnhelp.chm"
                                            TF_HELP_SOURCE="${CMAKE_SOURCE_DIR}/help")
add_dependencies(tst_help tallyfin_help)
