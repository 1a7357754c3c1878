# The packages CPack makes in a build folder: `cpack -G DEB` in a Linux one
# (see debian.cmake); in a Windows one `cpack -G ZIP` and the installer,
# `cpack -G NSIS` (see nsis.cmake), named for the processor it was built for
# (tarvexel-1.1.0-windows-x86_64.zip and .exe).

set(CPACK_PACKAGE_NAME tarvexel)
set(CPACK_PACKAGE_VENDOR "The Tarvexel developers")
set(CPACK_PACKAGE_CONTACT "The Tarvexel developers <tarvexel@example.org>"
  CACHE STRING "Who answers for the packages, as Name <address>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "run-or-raise launcher driven by a small profile")
set(CPACK_PACKAGE_DESCRIPTION [[
Tarvexel is started with the path of a profile, a small INI-style text
file, and carries out exactly one section of it: the first window rule
whose window exists (or is in front) runs against that window, closing
it, bringing it forward, minimising it or starting programs; when no rule
fires, the default section starts programs. Bound to a key, one profile
opens a program, brings it forward and puts it away again.
.
It works with X11 window managers, wlroots compositors such as sway, KDE
Plasma and GNOME, and reads the same profiles as its Windows build.]])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_SYSTEM_NAME windows-${CMAKE_SYSTEM_PROCESSOR})
  include(${CMAKE_CURRENT_LIST_DIR}/nsis.cmake)
else()
  include(${CMAKE_CURRENT_LIST_DIR}/debian.cmake)
  if(NOT TARVEXEL_MAN_PAGES)
    set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/refuse_without_man_pages.cmake)
  endif()
endif()

include(CPack)
