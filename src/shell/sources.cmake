list(APPEND TF_CORE_SOURCES shell/Platform.cpp)
list(APPEND TF_GUI_SOURCES shell/QtPlatform.cpp shell/Resources.cpp)
