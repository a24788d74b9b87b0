# SPDX-License-Identifier: MIT
# Fails unless CHM names a compiled help file: one that starts with the CHM
# signature "ITSF" and holds every page of docs/help.
if(NOT EXISTS "${CHM}")
  message(FATAL_ERROR "no help file at ${CHM}")
endif()
file(READ "${CHM}" signature LIMIT 4 HEX)
if(NOT signature STREQUAL "49545346")
  message(FATAL_ERROR "${CHM} is no CHM file (starts with the bytes ${signature})")
endif()
foreach(page index tables choosing generating saving settings updates)
  file(STRINGS "${CHM}" found REGEX "/${page}\\.html" LIMIT_COUNT 1)
  if(NOT found)
    message(FATAL_ERROR "${CHM} lacks the page ${page}.html")
  endif()
endforeach()
