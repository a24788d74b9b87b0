# SPDX-License-Identifier: MIT
# The Debian package: made by CPack into a temporary folder, it holds the
# files of the installation under /usr, names its version and section, and
# depends on the libraries' packages worked out from the programs; lintian
# finds no fault in it.
include(${CMAKE_CURRENT_LIST_DIR}/InstallTestSupport.cmake)

set(out ${ROOT}/package)
file(REMOVE_RECURSE ${out})
run(cpack ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -C ${CONFIG} -B ${out})
if(NOT cpack_status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${cpack_out}${cpack_err}")
endif()
file(GLOB debs ${out}/vestrane_${VERSION}_*.deb)
list(LENGTH debs count)
expect_equal("packages made" "${count}" 1)

run(listing ${DPKG_DEB} -c ${debs})
expect_equal("dpkg-deb -c's exit status" "${listing_status}" 0)
message(STATUS "dpkg-deb -c ${debs}:\n${listing_out}")
string(REPLACE "\n" ";" lines "${listing_out}")
set(files)
foreach(line IN LISTS lines)
  if(line MATCHES "^-[^ ]+ root/root .* \\./usr/(.+)$")
    list(APPEND files ${CMAKE_MATCH_1})
  elseif(line MATCHES "^-")
    message(FATAL_ERROR "not owned by root: ${line}")
  endif()
endforeach()
list(SORT files)
expected_files(expected)
expect_equal("files in the package" "${files}" "${expected}")

run(fields ${DPKG_DEB} -f ${debs} Package Version Section Maintainer Depends)
message(STATUS "dpkg-deb -f:\n${fields_out}")
foreach(field "Package: vestrane" "Version: ${VERSION}" "Section: science")
  string(FIND "${fields_out}" "${field}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the package lacks \"${field}\":\n${fields_out}")
  endif()
endforeach()
foreach(dependency libc6 libqt6core6 libqt6widgets6 qt6-qpa-plugins)
  if(NOT fields_out MATCHES "\nDepends: ([^\n]*, )?${dependency}[ ,\n]")
    message(FATAL_ERROR "the package does not depend on ${dependency}:\n${fields_out}")
  endif()
endforeach()

# Debian's policy, as lintian checks it: no error and no warning, and, in a
# build with Debian's hardening flags, none of its remarks on relocations and
# position-independent code. Its other informational remarks and the
# package's own overrides are shown too.
if(LINTIAN)
  run(lintian ${LINTIAN} --display-info --show-overrides --tag-display-limit 0 ${debs})
  message(STATUS "lintian ${debs}: ${lintian_status}\n${lintian_out}${lintian_err}")
  string(REGEX MATCHALL "(^|\n)[EW]: [^\n]*" faults "${lintian_out}")
  if(faults OR NOT lintian_status EQUAL 0)
    message(FATAL_ERROR "lintian finds errors or warnings in the package:\n${lintian_out}${lintian_err}")
  endif()
  # (Its remark on fortified functions is left aside: it is a guess from the
  # library calls, and a program whose buffers' sizes are known only at run
  # time calls no checked variant however it was built.)
  if(HARDENED AND lintian_out MATCHES "hardening-no-(bindnow|pie|relro)[^\n]*")
    message(FATAL_ERROR "a program of the package is not hardened: ${CMAKE_MATCH_0}")
  endif()
endif()
