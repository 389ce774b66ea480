# The log search window and the model of the trips it lists.
list(APPEND TF_GUI_SOURCES search/frmSearch.cpp search/TripLines.cpp)
