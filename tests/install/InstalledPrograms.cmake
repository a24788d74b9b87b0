# SPDX-License-Identifier: MIT
# The installed programs with a fresh user (XDG_CONFIG_HOME and HOME in the
# temporary folder): the batch tool writes the bytes the build tree's writes,
# from the user's own settings file, which it makes from the shipped
# defaults and then reads; a settings file beside the installed executable
# still wins. The desktop program answers --help and --version without a
# display.
include(${CMAKE_CURRENT_LIST_DIR}/InstallTestSupport.cmake)

set(home ${ROOT}/home)
set(work ${ROOT}/work)
file(REMOVE_RECURSE ${home} ${work})
file(MAKE_DIRECTORY ${home} ${work}/build-points ${work}/installed-points)
set(user ${CMAKE_COMMAND} -E env XDG_CONFIG_HOME=${home}/.config HOME=${home})
set(installed ${PREFIX}/bin/vestrane-combine)
set(userFile ${home}/.config/Vestrane/Vestrane.ini)
set(examples ${SOURCE_DIR}/examples/metapelite.tab ${SOURCE_DIR}/examples/metapelite-more.tab)
set(shipped ${SOURCE_DIR}/app/Vestrane.ini)

# The build tree's tool with the shipped defaults, and the installed one
# with nothing but the user's (new) settings file.
foreach(kind combined separate)
  if(kind STREQUAL combined)
    set(build_args -o ${work}/build.tab ${examples})
    set(installed_args -o ${work}/installed.tab ${examples})
  else()
    set(build_args --exclude ms --separate ${work}/build-points ${examples})
    set(installed_args --exclude ms --separate ${work}/installed-points ${examples})
  endif()
  run(built ${BUILD_COMBINE} --settings ${shipped} ${build_args})
  run(ours ${user} ${installed} ${installed_args})
  expect_equal("${kind}: exit status" "${ours_status}" "${built_status}")
  expect_equal("${kind}: exit status" "${ours_status}" 0)
  expect_equal("${kind}: standard output" "${ours_out}" "${built_out}")
  expect_equal("${kind}: standard error" "${ours_err}" "${built_err}")
endforeach()
expect_same_file(${work}/installed.tab ${work}/build.tab)
files_under(${work}/build-points points)
files_under(${work}/installed-points installed_points)
expect_equal("point files" "${installed_points}" "${points}")
list(LENGTH points count)
expect_equal("number of point files" "${count}" 6)
foreach(point IN LISTS points)
  expect_same_file(${work}/installed-points/${point} ${work}/build-points/${point})
endforeach()

# The user's file is a copy of the shipped defaults, and nothing was
# written beside the installed program.
expect_same_file(${userFile} ${shipped})
if(EXISTS ${PREFIX}/bin/Vestrane.ini)
  message(FATAL_ERROR "a settings file was written beside the installed program")
endif()

# It is read: without PHASE among the Mineral aliases the first example's
# Phase column is not the Mineral column, so no line has a mineral. (file(READ) drops the CRs, which the
# edited file gets back.)
file(READ ${userFile} settings)
string(REPLACE "Mineral=MINERAL PHASE\n" "Mineral=MINERAL\n" edited "${settings}")
if(edited STREQUAL settings)
  message(FATAL_ERROR "the shipped defaults have no line Mineral=MINERAL PHASE")
endif()
file(CONFIGURE OUTPUT ${work}/edited.ini CONTENT "${edited}" @ONLY NEWLINE_STYLE CRLF)
file(COPY_FILE ${work}/edited.ini ${userFile})
execute_process(COMMAND ${user} ${installed} --print-settings OUTPUT_FILE ${work}/printed.ini
                RESULT_VARIABLE printed_status)
expect_equal("--print-settings' exit status" "${printed_status}" 0)
expect_same_file(${work}/printed.ini ${work}/edited.ini)
run(edited ${user} ${installed} -o ${work}/edited.tab ${SOURCE_DIR}/examples/metapelite.tab)
# Every line is then ignored, so the run has nothing to write and fails.
expect_equal("exit status with the edited settings" "${edited_status}" 1)
if(NOT edited_err MATCHES "^Warning! Ignored lines with mineral analyses:\n3: Mineral is not specified\n")
  message(FATAL_ERROR "with the edited settings:\n${edited_err}")
endif()
if(EXISTS ${work}/edited.tab)
  message(FATAL_ERROR "a run with nothing to write wrote ${work}/edited.tab")
endif()
expect_same_file(${userFile} ${work}/edited.ini)

# A settings file beside the installed program wins over the user's.
file(COPY_FILE ${shipped} ${PREFIX}/bin/Vestrane.ini)
run(beside ${user} ${installed} -o ${work}/beside.tab ${examples})
file(REMOVE ${PREFIX}/bin/Vestrane.ini)
expect_equal("exit status with a file beside" "${beside_status}" 0)
expect_same_file(${work}/beside.tab ${work}/build.tab)

# The desktop program answers --version and --help on standard output,
# without a display.
if(EXISTS ${PREFIX}/bin/Vestrane)
  set(no_display ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
      --unset=QT_QPA_PLATFORM)
  run(version ${no_display} ${PREFIX}/bin/Vestrane --version)
  expect_equal("Vestrane --version" "${version_status}:${version_out}${version_err}"
               "0:Vestrane ${VERSION}\n")
  run(help ${no_display} ${PREFIX}/bin/Vestrane --help)
  expect_equal("Vestrane --help's exit status" "${help_status}" 0)
  if(NOT help_out MATCHES "^Usage: [^\n]*Vestrane \\[options\\] \\[FILE\\.\\.\\.\\]\n")
    message(FATAL_ERROR "Vestrane --help printed:\n${help_out}${help_err}")
  endif()
endif()
