# The help file tfnhelp.chm, compiled at build time from every help/*.html (and
# the pictures in help/images/) into the program folder with chmcmd (fp-utils).
# A page dropped into help/ is picked up by the next build.
find_program(TF_CHMCMD chmcmd REQUIRED)
file(GLOB TF_HELP_INPUTS CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/help/*.html ${CMAKE_SOURCE_DIR}/help/*.css ${CMAKE_SOURCE_DIR}/help/images/*)
set(TF_HELP_FILE ${TF_PROGRAM_DIR}/tfnhelp.chm)
add_custom_command(OUTPUT ${TF_HELP_FILE}
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR}/help -DWORK=${CMAKE_BINARY_DIR}/help
          -DOUTPUT=${TF_HELP_FILE} -DCHMCMD=${TF_CHMCMD} -P ${CMAKE_SOURCE_DIR}/help/BuildHelp.cmake
  DEPENDS ${TF_HELP_INPUTS} ${CMAKE_SOURCE_DIR}/help/BuildHelp.cmake
  VERBATIM)
add_custom_target(tallyfin_help ALL DEPENDS ${TF_HELP_FILE})
