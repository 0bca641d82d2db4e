# Makes the release package: the program and its hook library stripped of
# their symbols and debug sections, the help file, and the files the program
# reads from beside itself, all at the root of one zip that a user unpacks
# into the folder the program is to run from.
#   STRIP   the strip tool           BIN     the build's output folder
#   BESIDE  the files shipped beside the program (resources/beside)
#   STAGE   a work folder            OUTPUT  the zip to write
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
foreach(binary Tessareltop.exe PTSH120.dll)
  execute_process(COMMAND "${STRIP}" --strip-all --remove-section=.gnu_debuglink -o "${STAGE}/${binary}" "${BIN}/${binary}"
    RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "Could not strip ${BIN}/${binary}:\n${err}")
  endif()
endforeach()
file(COPY "${BIN}/tessarel.chm" DESTINATION "${STAGE}")
file(COPY "${BESIDE}/" DESTINATION "${STAGE}")

# The top-level names: a folder brings its files along.
file(GLOB entries RELATIVE "${STAGE}" "${STAGE}/*")
list(SORT entries)
file(REMOVE "${OUTPUT}.part")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${OUTPUT}.part" --format=zip ${entries}
  WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Could not write ${OUTPUT}")
endif()
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
