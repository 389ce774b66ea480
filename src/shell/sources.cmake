list(APPEND TF_CORE_SOURCES shell/Platform.cpp)
list(APPEND TF_GUI_SOURCES
  shell/QtPlatform.cpp
  shell/Resources.cpp
  shell/WindowChrome.cpp
  shell/Bar.cpp
  shell/WindowRegistry.cpp
  shell/WindowCatalog.cpp
  shell/Startup.cpp
  shell/Help.cpp
  shell/ChmFile.cpp
  shell/HelpViewer.cpp
  shell/frmStart.cpp
  shell/frmRegister.cpp
  shell/frmAbout.cpp
  shell/frmUpdate.cpp
  shell/frmCredit.cpp)

# The help viewer reads the compiled help file with libchm (Debian's libchm-dev).
find_path(TF_CHM_INCLUDE_DIR chm_lib.h REQUIRED)
find_library(TF_CHM_LIBRARY chm REQUIRED)
# The targets are made after every fragment is read; these run once they exist.
cmake_language(DEFER CALL target_include_directories tallyfin_gui PRIVATE ${TF_CHM_INCLUDE_DIR})
cmake_language(DEFER CALL target_link_libraries tallyfin_gui PRIVATE ${TF_CHM_LIBRARY})

# tfnhelp.chm, compiled into the program folder from help/*.html.
include(${CMAKE_SOURCE_DIR}/help/help.cmake)
cmake_language(DEFER CALL add_dependencies tallyfin tallyfin_help)
