# The documentation a Debian package carries, and `cpack -G DEB`: one package
# with the module, the C library and its headers, CMake and pkg-config files,
# ljungcv and its manual page. Configure with -DCMAKE_INSTALL_PREFIX=/usr for
# Debian's paths (lib/<multiarch>).
set(_doc ${CMAKE_INSTALL_DATADIR}/doc/korvalen)
set(_gz ${CMAKE_BINARY_DIR}/generated/doc)
configure_file(${CMAKE_SOURCE_DIR}/docs/ljungcv.1.in ${_gz}/ljungcv.1 @ONLY)
add_custom_command(
  OUTPUT ${_gz}/ljungcv.1.gz ${_gz}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_gz}
  COMMAND gzip -9n -c ${_gz}/ljungcv.1 > ${_gz}/ljungcv.1.gz
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/docs/changelog > ${_gz}/changelog.gz
  DEPENDS ${_gz}/ljungcv.1 ${CMAKE_SOURCE_DIR}/docs/changelog
  VERBATIM)
add_custom_target(korvalen_docs ALL DEPENDS ${_gz}/ljungcv.1.gz ${_gz}/changelog.gz)
install(FILES ${_gz}/ljungcv.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_gz}/changelog.gz ${CMAKE_SOURCE_DIR}/docs/copyright DESTINATION ${_doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvalen)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "korvalen developers <developers@korvalen.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "critical values for the largest of n absolute standardized statistics")
# CPack puts the summary first and indents these lines; an empty line
# separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "LJUNGCV(n, alpha [, method]) gives the critical value against which the
largest of n absolute standardized statistics is compared at level alpha,
by an asymptotic extreme-value formula or a corrected curve.

This package holds the loadable function module korvalen.so for the host
statistical system, the C library libkorvalen with its headers, CMake
package and pkg-config file, and the command-line tool ljungcv.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_STRIP_FILES ON)
# The dynamic linker's cache is refreshed by a trigger, as Debian asks.
file(WRITE ${CMAKE_BINARY_DIR}/generated/deb/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/generated/deb/triggers)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
