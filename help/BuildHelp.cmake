# cmake -DSOURCE=<help folder> -DWORK=<scratch folder> -DOUTPUT=<tfnhelp.chm> -DCHMCMD=<chmcmd> -P BuildHelp.cmake
#
# Writes the help project (.hhp), its contents (.hhc) and index (.hhk) for every
# page in SOURCE, compiles it with chmcmd and puts the result at OUTPUT. The
# contents list index.html first, the control panel next, then every other page
# by its title; each page's <title> is its entry. chmcmd's chatter is shown only
# when it fails.

foreach(var SOURCE WORK OUTPUT CHMCMD)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "BuildHelp.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(html_escape out text)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  string(REPLACE "\"" "&quot;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(GLOB pages RELATIVE ${SOURCE} ${SOURCE}/*.html)
if(NOT pages)
  message(FATAL_ERROR "No help pages in ${SOURCE}")
endif()

# Title of each page; sort keys put index.html and frmStart.html first.
set(keyed)
foreach(page ${pages})
  file(READ ${SOURCE}/${page} text)
  string(REGEX MATCH "<[Tt][Ii][Tt][Ll][Ee]>([^<]*)</[Tt][Ii][Tt][Ll][Ee]>" found "${text}")
  set(title "${CMAKE_MATCH_1}")
  string(STRIP "${title}" title)
  if(title STREQUAL "")
    string(REGEX REPLACE "\\.html$" "" title "${page}")
  endif()
  string(REPLACE ";" "," title "${title}")
  if(page STREQUAL "index.html")
    set(key "0")
  elseif(page STREQUAL "frmStart.html")
    set(key "1")
  else()
    string(TOLOWER "2${title}" key)
  endif()
  set(title_${page} "${title}")
  list(APPEND keyed "${key}|${page}")
  file(COPY ${SOURCE}/${page} DESTINATION ${WORK})
endforeach()
list(SORT keyed)

set(files)
set(entries)
foreach(item ${keyed})
  string(REGEX REPLACE "^[^|]*\\|" "" page "${item}")
  list(APPEND files ${page})
  html_escape(title "${title_${page}}")
  string(APPEND entries
    "<LI> <OBJECT type=\"text/sitemap\">\n"
    "  <param name=\"Name\" value=\"${title}\">\n"
    "  <param name=\"Local\" value=\"${page}\">\n"
    "  </OBJECT>\n")
endforeach()

# Style sheets and pictures the pages use.
file(GLOB extras RELATIVE ${SOURCE} ${SOURCE}/*.css ${SOURCE}/images/*)
list(SORT extras)
foreach(extra ${extras})
  get_filename_component(dir ${extra} DIRECTORY)
  file(COPY ${SOURCE}/${extra} DESTINATION ${WORK}/${dir})
  list(APPEND files ${extra})
endforeach()

set(sitemap_head "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\n<HTML>\n<HEAD></HEAD>\n<BODY>\n")
file(WRITE ${WORK}/toc.hhc "${sitemap_head}<UL>\n${entries}</UL>\n</BODY>\n</HTML>\n")
file(WRITE ${WORK}/index.hhk "${sitemap_head}<UL>\n${entries}</UL>\n</BODY>\n</HTML>\n")

list(JOIN files "\n" file_lines)
file(WRITE ${WORK}/tfnhelp.hhp
  "[OPTIONS]\n"
  "Compatibility=1.1 or later\n"
  "Compiled file=tfnhelp.chm\n"
  "Contents file=toc.hhc\n"
  "Index file=index.hhk\n"
  "Default topic=index.html\n"
  "Display compile progress=No\n"
  "Full-text search=No\n"
  "Language=0x409 English (United States)\n"
  "Title=Tallyfin Help\n"
  "\n"
  "[FILES]\n"
  "${file_lines}\n")

execute_process(COMMAND ${CHMCMD} --verbosity 0 tfnhelp.hhp
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK}/tfnhelp.chm)
  message(FATAL_ERROR "chmcmd could not compile the help file:\n${out}")
endif()

get_filename_component(out_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${out_dir})
file(COPY_FILE ${WORK}/tfnhelp.chm ${OUTPUT})
