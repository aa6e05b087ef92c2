# Run by CPack after it has installed the files into its staging folder and before it packs them
# (CPACK_PRE_BUILD_SCRIPTS): gives every staged file and folder the time in SOURCE_DATE_EPOCH
# (set by PackageTimestamps.cmake), since the archive generators store each file's own time.
if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  return()
endif()
file(GLOB_RECURSE entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
if(entries)
  execute_process(COMMAND touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" -- ${entries} "${CPACK_TEMPORARY_DIRECTORY}"
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Could not set the time stamps of the files in ${CPACK_TEMPORARY_DIRECTORY}")
  endif()
endif()
