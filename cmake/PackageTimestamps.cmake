# Run by CPack when it makes a package (CPACK_PROJECT_CONFIG_FILE): every file in the package
# gets the time of the commit it is built from, not the time it was built, so that the same
# commit gives the same package. SOURCE_DATE_EPOCH, when set, is taken as it is (the convention
# of reproducible builds); otherwise it is set from the checkout's last commit. The Debian
# generator reads SOURCE_DATE_EPOCH itself; for the ZIP, the staged files are given that time
# (StageTimestamps.cmake).
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  execute_process(
    COMMAND git -C "${CPACK_GLYPHMETER_SOURCE_DIR}" log -1 --format=%ct
    RESULT_VARIABLE status
    OUTPUT_VARIABLE epoch
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET)
  if(status EQUAL 0 AND epoch MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
  else()
    message(STATUS "No commit to date the package by (not a git checkout, and SOURCE_DATE_EPOCH "
                   "unset): its files carry the times they were built")
  endif()
endif()

# ZIP archives store local times: the package's are those of UTC, wherever it is built.
set(ENV{TZ} UTC)
