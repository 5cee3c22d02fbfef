# Manual pages, with the project's version: ljungcv(1), and korvalen(3) for
# the C API with one page per function that points at it. Installed plain;
# a packager compresses them.
set(_man ${CMAKE_BINARY_DIR}/generated/doc)
configure_file(${CMAKE_SOURCE_DIR}/docs/ljungcv.1.in ${_man}/ljungcv.1 @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/docs/korvalen.3.in ${_man}/korvalen.3 @ONLY)
install(FILES ${_man}/ljungcv.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_man}/korvalen.3 DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)
foreach(_function korvalen_ljungcv korvalen_ljungcv_array korvalen_explain korvalen_ljungcv_bytes
                  korvalen_explain_bytes korvalen_ljungcv_many korvalen_explain_many
                  korvalen_warning korvalen_version)
  file(WRITE ${_man}/${_function}.3 ".so man3/korvalen.3\n")
  install(FILES ${_man}/${_function}.3 DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)
endforeach()
