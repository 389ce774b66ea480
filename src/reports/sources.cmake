list(APPEND TF_CORE_SOURCES
  reports/ReportTemplate.cpp reports/ReportDefinition.cpp reports/ReportDatabase.cpp
  reports/ReportDocument.cpp reports/ReportPagination.cpp reports/ReportEngine.cpp)
list(APPEND TF_GUI_SOURCES reports/RunReport.cpp reports/frmPrintfish.cpp)

# The report definitions live in the program folder, where users may edit them.
foreach(report log totalfish Bestfish boat rods equipment contacts memberships diary reminder patterns)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/definitions/${report}.rpt ${TF_PROGRAM_DIR}/${report}.rpt COPYONLY)
endforeach()
