# SPDX-License-Identifier: MIT
# Installs the build into PREFIX (a temporary folder) and checks that it
# holds exactly the files listed in EXPECTED: everything the program needs,
# and nothing else; the programs carry no library search path. The other install tests work on this installation.
include(${CMAKE_CURRENT_LIST_DIR}/InstallTestSupport.cmake)

file(REMOVE_RECURSE ${ROOT})
run(install ${CMAKE_COMMAND} --install ${BUILD_DIR} --config ${CONFIG} --prefix ${PREFIX})
if(NOT install_status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${install_out}${install_err}")
endif()
files_under(${PREFIX} installed)
expected_files(expected)
expect_equal("installed files" "${installed}" "${expected}")

# The programs find the system's libraries as every other program does: no
# search path of their own is written into them.
if(ELF)
  foreach(program Vestrane vestrane-combine)
    file(READ_ELF ${PREFIX}/bin/${program} RPATH rpath RUNPATH runpath)
    expect_equal("${program}'s RPATH and RUNPATH" "${rpath}${runpath}" "")
  endforeach()
endif()

# The shipped defaults are the source's (install.programs runs the programs).
expect_same_file(${PREFIX}/share/vestrane/Vestrane.ini ${SOURCE_DIR}/app/Vestrane.ini)

# Every page the help links to is there.
file(GLOB pages ${PREFIX}/share/doc/vestrane/*.html)
foreach(page IN LISTS pages)
  file(STRINGS ${page} links REGEX "href=\"[^\"]+\"")
  foreach(line IN LISTS links)
    string(REGEX MATCHALL "href=\"[^\"#:]+\"" targets "${line}")
    foreach(target IN LISTS targets)
      string(REGEX REPLACE "href=\"([^\"]+)\"" "\\1" target "${target}")
      if(NOT EXISTS ${PREFIX}/share/doc/vestrane/${target})
        message(FATAL_ERROR "${page} links to ${target}, which is not installed")
      endif()
    endforeach()
  endforeach()
endforeach()
message(STATUS "${PREFIX}: ${installed}")
