# The installed desktop entry, AppStream metadata, MIME type and manual page,
# checked by the desktop's own tools.
include(${CMAKE_CURRENT_LIST_DIR}/InstallTestSupport.cmake)

set(entry ${PREFIX}/share/applications/${APP_ID}.desktop)
run(desktop ${DESKTOP_FILE_VALIDATE} ${entry})
message(STATUS "desktop-file-validate ${entry}: ${desktop_status}\n${desktop_out}${desktop_err}")
expect_equal("desktop-file-validate's exit status" "${desktop_status}" 0)
expect_equal("desktop-file-validate's remarks" "${desktop_out}${desktop_err}" "")
file(STRINGS ${entry} exec REGEX "^(Exec|Icon|MimeType)=")
expect_equal("the entry's program, icon and types" "${exec}"
             "Exec=Vestrane %F;Icon=${APP_ID};MimeType=text/tab-separated-values\;")
if(NOT EXISTS ${PREFIX}/share/icons/hicolor/scalable/apps/${APP_ID}.svg)
  message(FATAL_ERROR "the icon ${APP_ID}.svg is not installed")
endif()

set(metadata ${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml)
run(appstream ${APPSTREAMCLI} validate --no-net ${metadata})
message(STATUS "appstreamcli validate --no-net ${metadata}: ${appstream_status}\n${appstream_out}${appstream_err}")
expect_equal("appstreamcli's exit status" "${appstream_status}" 0)
file(READ ${metadata} text)
if(NOT text MATCHES "<release version=\"${VERSION}\" date=\"[0-9-]+\"/>")
  message(FATAL_ERROR "${metadata} names no release ${VERSION}")
endif()

# *.tab files are TAB-separated text for the desktop.
if(UPDATE_MIME_DATABASE)
  set(mime ${ROOT}/mime)
  file(REMOVE_RECURSE ${mime})
  file(COPY ${PREFIX}/share/mime/packages DESTINATION ${mime})
  run(mime ${UPDATE_MIME_DATABASE} ${mime})
  expect_equal("update-mime-database's exit status" "${mime_status}" 0)
  file(STRINGS ${mime}/globs2 globs REGEX ":\\*\\.tab$")
  expect_equal("the glob for *.tab" "${globs}" "50:text/tab-separated-values:*.tab")
endif()

# The manual page shows the batch tool's options.
if(MANUAL)
  file(READ ${PREFIX}/share/man/man1/vestrane-combine.1 manual)
  foreach(piece ".TH VESTRANE-COMBINE \"1\"" ".SH SYNOPSIS" "\\-\\-print\\-settings" "\\-\\-separate"
          "~/.config")
    string(FIND "${manual}" "${piece}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the manual page lacks ${piece}")
    endif()
  endforeach()
endif()
