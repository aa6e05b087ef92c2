# The Windows installer, NAME-VERSION-win64.msi beside the ZIP in the build folder:
# `cmake --build --preset windows-cross --target msi`. Made by Debian's wixl from
# resources/Glyphmeter.wxs out of the same installed tree as the ZIP (stripped), with the name,
# maker, version and icon of this build. Included by Packaging.cmake when the windowed program
# is built for Windows.

find_program(GLYPHMETER_WIXL wixl)

set(msi_file ${PROJECT_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.msi)
set(msi_work ${PROJECT_BINARY_DIR}/msi)
set(msi_source ${PROJECT_SOURCE_DIR}/resources/Glyphmeter.wxs)
set(msi_icon ${PROJECT_SOURCE_DIR}/resources/glyphmeter.ico)
set(GLYPHMETER_MSI_FILE ${msi_file})

if(NOT GLYPHMETER_WIXL)
  add_custom_target(msi
    COMMAND ${CMAKE_COMMAND} -E echo "The installer needs wixl (Debian package wixl; scripts/setup installs it)."
    COMMAND ${CMAKE_COMMAND} -E false)
  return()
endif()

# wixl finds the files it packs by names relative to its working folder.
file(MAKE_DIRECTORY ${msi_work})
add_custom_command(OUTPUT ${msi_file}
  COMMAND ${CMAKE_COMMAND} -E rm -rf files
  COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${msi_work}/files --strip
  COMMAND ${CMAKE_COMMAND} -E copy ${msi_icon} glyphmeter.ico
  COMMAND ${GLYPHMETER_WIXL} --arch x64 --output ${msi_file}
    -D ProductName=${PROJECT_NAME}
    -D Manufacturer=${CPACK_PACKAGE_VENDOR}
    -D Version=${GLYPHMETER_VERSION_TEXT}
    -D HelpLink=${CPACK_PACKAGE_HOMEPAGE_URL}
    -D ProgramFile=$<TARGET_FILE_NAME:glyphmeter>
    -D CliFile=$<TARGET_FILE_NAME:glyphmeter-cli>
    -D ReadMeFile=ReadMe.txt
    -D IconFile=glyphmeter.ico
    -D StageDir=files
    ${msi_source}
  WORKING_DIRECTORY ${msi_work}
  DEPENDS glyphmeter glyphmeter-cli ${msi_source} ${msi_icon} ${PROJECT_BINARY_DIR}/ReadMe.txt
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
