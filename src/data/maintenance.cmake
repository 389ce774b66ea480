# Backup, restore and repair of the database file, and the maintenance window.
list(APPEND TF_CORE_SOURCES data/Maintenance.cpp)
list(APPEND TF_GUI_SOURCES data/frmDbutility.cpp)
