# Backup, restore and repair of the database file, and the maintenance window.
tf_add_test(tst_maintenance data/tst_maintenance.cpp)
tf_add_test(tst_frmdbutility data/tst_frmdbutility.cpp)
