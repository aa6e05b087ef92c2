# The Python module as a second Debian package, python3-glyphmeter, beside glyphmeter itself:
# the install rules of the component "python" go into it, everything else into glyphmeter as
# before. Included by Packaging.cmake when the module is built.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME glyphmeter)
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-glyphmeter)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
# The extension is built for one Python version's interface (its file name says which).
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
  "python3 (>= ${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}~), python3 (<< ${Python_VERSION_MAJOR}.${GLYPHMETER_PYTHON_NEXT_MINOR})")
set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS "python3-dask, python3-distributed, python3-pandas")
set(CPACK_DEBIAN_PYTHON_DESCRIPTION
  "The Python module glyphmeter counts the letters A to Z (or letter sequences) of files
and bytes with the same code as glyphmeter-cli. Results add up to the totals
glyphmeter-cli reports, convert to pandas and JSON, and glyphmeter.dask counts
a list of files over a Dask cluster.")
install(FILES doc/copyright ${PROJECT_BINARY_DIR}/doc/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/python3-glyphmeter COMPONENT python)
