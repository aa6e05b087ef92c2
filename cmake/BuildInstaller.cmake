# Builds the Windows installer with wixl so that the same commit always gives the same bytes; run
# by the msi target (WindowsInstaller.cmake) as `cmake -P` in the installer's work folder.
#
# wixl writes the time it runs into the installer's summary information (created, last saved),
# gives every installer a random package code and packs each file with its modification time.
# Here the files carry the commit's time (SOURCE_DATE_EPOCH, else the checkout's last commit),
# wixl and msibuild run with their clock held at that time (faketime), and the package code is
# then set to one derived from the version and a hash of everything the installer holds: two
# installers with the same code are the same installer, as Windows Installer assumes. The
# product code is derived from the version alone, so each version is its own product for the
# major upgrade and a rebuild of one version is that same product.
#
# Defined by the caller: WIXL, MSIBUILD, FAKETIME (the programs), SOURCE_DIR (the checkout, for
# the commit's time), BUILD_DIR (the build to install the programs from), OUTPUT (the .msi),
# SOURCE (the .wxs), UPGRADE_CODE (the GUID in it), PRODUCT_NAME, MANUFACTURER, VERSION,
# HELP_LINK, PROGRAM_FILE, CLI_FILE, README_FILE, ICON_FILE, STAGE_DIR (where the programs are
# installed, relative to the working folder).

set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
  execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
    RESULT_VARIABLE status OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT status EQUAL 0)
    set(epoch "")
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(STATUS "No commit to date the installer by (not a git checkout, and SOURCE_DATE_EPOCH "
                 "unset): it carries the time it is built")
  string(TIMESTAMP epoch "%s" UTC)
endif()

# The programs stripped as in the ZIP. strip writes the time into a Windows program's header
# (the linker left it out): SOURCE_DATE_EPOCH's when that is set.
set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
file(REMOVE_RECURSE "${STAGE_DIR}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}"
    --prefix "${CMAKE_CURRENT_BINARY_DIR}/${STAGE_DIR}" --strip
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Could not install the programs into ${STAGE_DIR}")
endif()

# Everything the installer is made of, in a fixed order, for the package code.
file(GLOB_RECURSE staged RELATIVE "${CMAKE_CURRENT_BINARY_DIR}" "${STAGE_DIR}/*")
list(SORT staged)
set(contents "${PRODUCT_NAME}|${MANUFACTURER}|${VERSION}|${HELP_LINK}|${PROGRAM_FILE}|${CLI_FILE}|${README_FILE}|${epoch}")
foreach(file IN LISTS staged ITEMS "${ICON_FILE}")
  file(SHA256 "${file}" hash)
  string(APPEND contents "|${file}:${hash}")
endforeach()
file(SHA256 "${SOURCE}" hash)
string(APPEND contents "|wxs:${hash}")
string(SHA256 contents_hash "${contents}")
string(UUID package_code NAMESPACE "${UPGRADE_CODE}" NAME "package ${VERSION} ${contents_hash}"
  TYPE SHA1 UPPER)
string(UUID product_code NAMESPACE "${UPGRADE_CODE}" NAME "product ${VERSION}" TYPE SHA1 UPPER)

execute_process(COMMAND touch -h -d "@${epoch}" -- ${staged} "${ICON_FILE}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Could not date the files in ${STAGE_DIR}")
endif()

# The clock held still at the commit's time, in UTC (the cabinet stores local times); the files'
# own times are reported as they are. string(TIMESTAMP) takes the time from SOURCE_DATE_EPOCH.
set(ENV{TZ} UTC)
set(ENV{NO_FAKE_STAT} 1)
string(TIMESTAMP frozen "%Y-%m-%d %H:%M:%S" UTC)

execute_process(
  COMMAND "${FAKETIME}" -f "${frozen}" "${WIXL}" --arch x64 --output "${OUTPUT}"
    -D "ProductCode=${product_code}"
    -D "UpgradeCode=${UPGRADE_CODE}"
    -D "ProductName=${PRODUCT_NAME}"
    -D "Manufacturer=${MANUFACTURER}"
    -D "Version=${VERSION}"
    -D "HelpLink=${HELP_LINK}"
    -D "ProgramFile=${PROGRAM_FILE}"
    -D "CliFile=${CLI_FILE}"
    -D "ReadMeFile=${README_FILE}"
    -D "IconFile=${ICON_FILE}"
    -D "StageDir=${STAGE_DIR}"
    "${SOURCE}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "wixl could not build ${OUTPUT}")
endif()

# The summary information again, as wixl wrote it but for the package code (the revision number).
execute_process(
  COMMAND "${FAKETIME}" -f "${frozen}" "${MSIBUILD}" "${OUTPUT}"
    -s "${PRODUCT_NAME} ${VERSION}" "${MANUFACTURER}" "x64;1033" "{${package_code}}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "msibuild could not set the package code of ${OUTPUT}")
endif()
