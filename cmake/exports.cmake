# The module's exports have one list: the KORVALEN_EXPORT declarations of
# module/exports.h, from which the linker's version script is generated. The
# exports test holds the built image to the host contract's own list.
set(_header ${CMAKE_SOURCE_DIR}/module/exports.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_header})
file(STRINGS ${_header} _declarations REGEX "^KORVALEN_EXPORT ")
set(KORVALEN_EXPORTS "")
foreach(_line IN LISTS _declarations)
  if(_line MATCHES "^KORVALEN_EXPORT extern .*[ *]([A-Za-z_][A-Za-z0-9_]*)[\\;]*$")
    list(APPEND KORVALEN_EXPORTS ${CMAKE_MATCH_1})  # data
  elseif(_line MATCHES "^KORVALEN_EXPORT [^(]*[ *]([A-Za-z_][A-Za-z0-9_]*)\\(")
    list(APPEND KORVALEN_EXPORTS ${CMAKE_MATCH_1})  # a routine
  else()
    message(FATAL_ERROR "module/exports.h: cannot read the exported name in: ${_line}")
  endif()
endforeach()
list(LENGTH KORVALEN_EXPORTS _count)
if(_count EQUAL 0)
  message(FATAL_ERROR "module/exports.h declares no export")
endif()
list(JOIN KORVALEN_EXPORTS ";\n    " _global)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/exports.map
     CONTENT "{\n  global:\n    ${_global};\n  local: *;\n};\n")

