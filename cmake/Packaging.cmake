# How Glyphmeter is packaged for distribution, with CPack: `cmake --build --preset release
# --target package` writes the package into the build folder. Included last by the top-level
# CMakeLists.txt, after every install() rule.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME glyphmeter)
set(CPACK_PACKAGE_VERSION ${GLYPHMETER_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "Tarnby Software")
set(CPACK_PACKAGE_CONTACT "Tarnby Software <glyphmeter@tarnby.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "letter frequencies of a text file")
set(CPACK_PACKAGE_HOMEPAGE_URL "http://www.tarnby.com/")
set(CPACK_STRIP_FILES ON)
# The same commit gives the same package: its files are dated by the commit (see the two scripts).
set(CPACK_GLYPHMETER_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageTimestamps.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/StageTimestamps.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebMemberModes.cmake)
# Folders in a package get the usual rwxr-xr-x, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(UNIX AND NOT APPLE)
  # Debian package glyphmeter_VERSION_ARCH.deb: both programs under /usr/bin, the menu entry,
  # icons and software centre description, the manual pages, copyright and changelog.
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${CPACK_PACKAGE_HOMEPAGE_URL})
  # The dependencies are read from the binaries by dpkg-shlibdeps.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The extended description under the summary line.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Glyphmeter reports how often each letter A to Z occurs in a text file: for
every letter its count, its frequency to four decimals and a bar scaled to the
most frequent letter, with the total number of letters. Upper- and lower-case
letters count together.
.
The window opens files from the file manager, takes files dropped on it and
copies its results for spreadsheets. glyphmeter-cli counts with the same code
for scripts, as a table, CSV or JSON.")

  # Manual pages and the changelog, compressed as Debian expects: best compression, no name or
  # time stamp in the gzip header, so that the same sources give the same package.
  find_program(GLYPHMETER_GZIP gzip REQUIRED)
  set(pages glyphmeter-cli.1)
  if(GLYPHMETER_BUILD_UI)
    list(APPEND pages glyphmeter.1)
  endif()
  set(compressed)
  foreach(file IN LISTS pages ITEMS changelog)
    set(source ${PROJECT_SOURCE_DIR}/doc/${file})
    set(output ${PROJECT_BINARY_DIR}/doc/${file}.gz)
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/doc
      COMMAND ${GLYPHMETER_GZIP} -9 -n -c ${source} > ${output}
      DEPENDS ${source} VERBATIM)
    list(APPEND compressed ${output})
  endforeach()
  add_custom_target(glyphmeter_docs ALL DEPENDS ${compressed})
  list(TRANSFORM pages APPEND .gz)
  list(TRANSFORM pages PREPEND ${PROJECT_BINARY_DIR}/doc/)
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES doc/copyright ${PROJECT_BINARY_DIR}/doc/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/glyphmeter)
  if(TARGET _glyphmeter)
    include(${CMAKE_CURRENT_LIST_DIR}/PythonPackage.cmake)
  endif()
endif()

if(WIN32)
  # Windows: Glyphmeter-VERSION-win64.zip, the portable form, holding the two programs side by side and a read-me in
  # a folder of that name. Both programs are linked statically and need nothing beside them.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME Glyphmeter)
  set(CPACK_PACKAGE_FILE_NAME Glyphmeter-${GLYPHMETER_VERSION_TEXT}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  # The read-me with Windows line endings, so that every editor shows its lines.
  configure_file(${PROJECT_SOURCE_DIR}/resources/ReadMe-Windows.txt.in
    ${PROJECT_BINARY_DIR}/ReadMe.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/ReadMe.txt DESTINATION .)
  # And the installer, with a Start-menu entry and "Open with" for text files.
  if(TARGET glyphmeter)
    include(${CMAKE_CURRENT_LIST_DIR}/WindowsInstaller.cmake)
  endif()
endif()

include(CPack)
