# The Windows installer, NAME-VERSION-win64.msi beside the ZIP in the build folder:
# `cmake --build --preset windows-cross --target msi`. Made by Debian's wixl from
# resources/Glyphmeter.wxs out of the same installed tree as the ZIP (stripped), with the name,
# maker, version and icon of this build. Included by Packaging.cmake when the windowed program
# is built for Windows.

find_program(GLYPHMETER_WIXL wixl)
# The summary information rewritten with a fixed package code, and both tools run with the clock
# held at the commit's time: cmake/BuildInstaller.cmake.
find_program(GLYPHMETER_MSIBUILD msibuild)
find_program(GLYPHMETER_FAKETIME faketime)

# Never changes: it tells Windows Installer that every version is the same product, so that a
# later one replaces an earlier one. The product and package codes are derived from it.
set(upgrade_code baffbe1d-5001-478d-8c94-7f8d90223fb8)

set(msi_file ${PROJECT_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.msi)
set(msi_work ${PROJECT_BINARY_DIR}/msi)
set(msi_source ${PROJECT_SOURCE_DIR}/resources/Glyphmeter.wxs)
set(msi_icon ${PROJECT_SOURCE_DIR}/resources/glyphmeter.ico)
set(msi_script ${CMAKE_CURRENT_LIST_DIR}/BuildInstaller.cmake)
set(GLYPHMETER_MSI_FILE ${msi_file})

if(NOT GLYPHMETER_WIXL OR NOT GLYPHMETER_MSIBUILD OR NOT GLYPHMETER_FAKETIME)
  add_custom_target(msi
    COMMAND ${CMAKE_COMMAND} -E echo "The installer needs wixl, msibuild and faketime (Debian packages wixl, msitools and faketime; scripts/setup installs them)."
    COMMAND ${CMAKE_COMMAND} -E false)
  return()
endif()

# wixl finds the files it packs by names relative to its working folder.
file(MAKE_DIRECTORY ${msi_work})
add_custom_command(OUTPUT ${msi_file}
  COMMAND ${CMAKE_COMMAND} -E copy ${msi_icon} glyphmeter.ico
  COMMAND ${CMAKE_COMMAND}
    -D WIXL=${GLYPHMETER_WIXL}
    -D MSIBUILD=${GLYPHMETER_MSIBUILD}
    -D FAKETIME=${GLYPHMETER_FAKETIME}
    -D SOURCE_DIR=${PROJECT_SOURCE_DIR}
    -D BUILD_DIR=${PROJECT_BINARY_DIR}
    -D OUTPUT=${msi_file}
    -D SOURCE=${msi_source}
    -D UPGRADE_CODE=${upgrade_code}
    -D PRODUCT_NAME=${PROJECT_NAME}
    -D MANUFACTURER=${CPACK_PACKAGE_VENDOR}
    -D VERSION=${GLYPHMETER_VERSION_TEXT}
    -D HELP_LINK=${CPACK_PACKAGE_HOMEPAGE_URL}
    -D PROGRAM_FILE=$<TARGET_FILE_NAME:glyphmeter>
    -D CLI_FILE=$<TARGET_FILE_NAME:glyphmeter-cli>
    -D README_FILE=ReadMe.txt
    -D ICON_FILE=glyphmeter.ico
    -D STAGE_DIR=files
    -P ${msi_script}
  WORKING_DIRECTORY ${msi_work}
  DEPENDS glyphmeter glyphmeter-cli ${msi_source} ${msi_icon} ${msi_script}
          ${PROJECT_BINARY_DIR}/ReadMe.txt
  COMMENT "Windows installer ${CPACK_PACKAGE_FILE_NAME}.msi"
  VERBATIM)
add_custom_target(msi DEPENDS ${msi_file})

# Its test, under Wine on a display (scripts/test-windows): installed, a text file opened through
# the registered "Open with" command, removed. Runs alone: it changes the prefix's registry.
if(GLYPHMETER_BUILD_TESTS)
  add_test(NAME glyphmeter_msi_install_open_uninstall
    COMMAND ${PROJECT_SOURCE_DIR}/tests/windows/installer ${msi_file}
            ${PROJECT_SOURCE_DIR}/resources/sample-text.txt ${GLYPHMETER_VERSION_TEXT})
  # UTF-8 file names in Wine (see tests/CMakeLists.txt).
  set_tests_properties(glyphmeter_msi_install_open_uninstall PROPERTIES
    LABELS "ui;installer" SKIP_RETURN_CODE 77 RUN_SERIAL TRUE TIMEOUT 600
    ENVIRONMENT "LC_ALL=C.UTF-8;LANG=C.UTF-8;WINE=${GLYPHMETER_WINE}")
endif()
