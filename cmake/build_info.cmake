# The build's own values for the image-information record and the
# version-control block. Everything is fixed or derived from the build time,
# which comes from SOURCE_DATE_EPOCH when it is set, so that two builds of the
# same commit at the same SOURCE_DATE_EPOCH give identical bytes. Times are
# stated in UTC.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(KORVALEN_BUILD_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  string(TIMESTAMP KORVALEN_BUILD_EPOCH "%s" UTC)
endif()
# Every later TIMESTAMP names that same instant.
set(ENV{SOURCE_DATE_EPOCH} "${KORVALEN_BUILD_EPOCH}")

string(TIMESTAMP _weekday "%a" UTC)
string(TIMESTAMP _month "%b" UTC)
string(TIMESTAMP _day "%d" UTC)
string(TIMESTAMP _clock "%H:%M:%S" UTC)
string(TIMESTAMP _year "%Y" UTC)
string(TIMESTAMP _ddmm "%d%m" UTC)
string(TIMESTAMP _yy "%y" UTC)
string(REGEX REPLACE "^0" " " _day_blank "${_day}")

# The module's release, its one home: the records' release texts and tokens
# are made from it.
set(KORVALEN_RELEASE_NUMBER "1.00")
string(REPLACE "." "" KORVALEN_RELEASE_DIGITS "${KORVALEN_RELEASE_NUMBER}")
set(_release_stem "${KORVALEN_RELEASE_NUMBER}.01M00")
set(KORVALEN_RELEASE_ID "${_release_stem}${_ddmm}${_yy}")
set(KORVALEN_RELEASE_ID_LONG "${_release_stem}${_ddmm}${_year}")
set(KORVALEN_BUILD_DATE "${_month} ${_day_blank} ${_year}")
set(KORVALEN_BUILD_STAMP "${_weekday} ${_month} ${_day_blank} ${_clock} UTC ${_year}")

configure_file(${CMAKE_SOURCE_DIR}/module/build_info.hpp.in
               ${CMAKE_BINARY_DIR}/generated/build_info.hpp @ONLY)
