# Compiles the help file: copies its sources into a work folder, runs chmcmd
# there and fails on any warning (a link to a page that does not exist, say),
# then puts the file beside the program.
#   CHMCMD  the compiler    SOURCE  the sources' folder
#   WORK    a work folder   OUTPUT  the help file to write
file(REMOVE_RECURSE "${WORK}")
file(COPY "${SOURCE}/" DESTINATION "${WORK}")
execute_process(COMMAND "${CHMCMD}" tessarel.hhp
  WORKING_DIRECTORY "${WORK}"
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR "${out}${err}" MATCHES "Warning|Error" OR NOT EXISTS "${WORK}/tessarel.chm")
  message(FATAL_ERROR "The help file did not compile:\n${out}${err}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E copy "${WORK}/tessarel.chm" "${OUTPUT}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Could not write ${OUTPUT}")
endif()
