list(APPEND TF_CORE_SOURCES moon/MoonPhase.cpp)
list(APPEND TF_CORE_SOURCES moon/MoonInfo.cpp)
list(APPEND TF_GUI_SOURCES moon/frmMain.cpp)
# The utilities menu belongs to the shell; listed here until the shell's own list takes it.
list(APPEND TF_GUI_SOURCES shell/frmUtilities.cpp)
