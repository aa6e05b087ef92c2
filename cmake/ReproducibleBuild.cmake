# What keeps the programs the same bytes whichever folder and machine they are built in, so that a
# package rebuilt from the same commit can be compared with the published one byte for byte.
# Included by the top-level CMakeLists.txt before any target. The packages' own time stamps are
# set when they are made (Packaging.cmake).

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  # __FILE__ (in assert messages) and the debug information name the source and build folders,
  # and the linker's build ID is a hash over all of it, debug sections included, so even a
  # stripped program would differ between two folders. Both are written relative: sources as
  # ./analysis/..., files generated in the build folder as build/...; the build folder's map
  # comes last so that it wins where the build folder lies inside the checkout. A debugger
  # started in the checkout finds the sources.
  add_compile_options(
    "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=."
    "-ffile-prefix-map=${PROJECT_BINARY_DIR}=build")
endif()

if(MINGW)
  # The linker writes the time of linking into every Windows program's header unless told not
  # to. (strip writes a time there again when the packages are made: SOURCE_DATE_EPOCH's, which
  # the packaging sets to the commit's time.)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
