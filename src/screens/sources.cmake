# The editing cycle every record screen shares, and the record screens.
list(APPEND TF_GUI_SOURCES
  screens/ActivationWatch.cpp
  screens/RecordCycle.cpp
  screens/ScreenLook.cpp
  screens/TwipsScroll.cpp
  screens/frmLogs.cpp
  screens/frmLogsPanels.cpp)
