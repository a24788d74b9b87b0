# SPDX-License-Identifier: MIT
# Shared by the install tests (cmake -P scripts).

# run(NAME COMMAND...): runs the command; NAME_status, NAME_out and NAME_err
# hold its exit status, standard output and standard error.
function(run name)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${name}_status "${status}" PARENT_SCOPE)
  set(${name}_out "${out}" PARENT_SCOPE)
  set(${name}_err "${err}" PARENT_SCOPE)
endfunction()

# expect_equal(WHAT ACTUAL EXPECTED): fails the test unless the two are equal.
function(expect_equal what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}:\n  got      [${actual}]\n  expected [${expected}]")
  endif()
endfunction()

# expect_same_file(A B): fails the test unless the files hold the same bytes.
function(expect_same_file a b)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${a} ${b} RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "${a} and ${b} differ")
  endif()
endfunction()

# The files a folder holds, relative to it, sorted.
function(files_under folder result)
  file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${folder} ${folder}/*)
  list(SORT found)
  set(${result} "${found}" PARENT_SCOPE)
endfunction()

# The files the installation is to hold, relative to the prefix, sorted.
function(expected_files result)
  file(STRINGS ${EXPECTED} expected)
  list(SORT expected)
  set(${result} "${expected}" PARENT_SCOPE)
endfunction()
