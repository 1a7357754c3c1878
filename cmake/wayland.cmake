# Windows on Wayland desktops. libwayland-client is opened at run time, when
# WAYLAND_DISPLAY names a compositor (platform/wayland/library.h); building
# needs its headers and wayland-scanner (Debian: libwayland-dev).
include(${CMAKE_CURRENT_LIST_DIR}/wayland_protocol.cmake)
if(NOT TARVEXEL_WAYLAND_PROTOCOLS_FOUND)
  tarvexel_missing_headers("libwayland-client's headers or wayland-scanner are missing"
    libwayland-dev Wayland)
endif()

# The core protocol's header comes with libwayland, and its tables are
# libwayland's own (platform/wayland/core_interfaces.c says why).
tarvexel_wayland_protocol(wlr-foreign-toplevel-management
  ${PROJECT_SOURCE_DIR}/platform/wayland/wlr-foreign-toplevel-management.xml wayland_sources)
# KDE's window management, at the version the program binds, whatever
# plasma-wayland-protocols (if any) the building machine has.
set(TARVEXEL_PLASMA_WINDOW_MANAGEMENT_XML
  ${PROJECT_SOURCE_DIR}/platform/wayland/plasma-window-management.xml)
tarvexel_wayland_protocol(plasma-window-management
  ${TARVEXEL_PLASMA_WINDOW_MANAGEMENT_XML} wayland_sources)
# And its virtual desktops, which tell the desktop the user is on.
set(TARVEXEL_PLASMA_VIRTUAL_DESKTOP_XML
  ${PROJECT_SOURCE_DIR}/platform/wayland/plasma-virtual-desktop.xml)
tarvexel_wayland_protocol(plasma-virtual-desktop
  ${TARVEXEL_PLASMA_VIRTUAL_DESKTOP_XML} wayland_sources)

tarvexel_platform_sources(wayland
  connection.cpp
  core_interfaces.c
  kde.cpp
  sway_ipc.cpp
  sway_reply.cpp
  toplevels.cpp
  unix_socket.cpp
  virtual_desktops.cpp
  wlroots.cpp
)
target_sources(tarvexel_platform PRIVATE ${wayland_sources})
target_include_directories(tarvexel_platform SYSTEM PRIVATE
  ${WAYLAND_CLIENT_INCLUDE_DIRS} ${TARVEXEL_PROTOCOL_DIR})

# KWin lends its window management only to a program that a desktop file
# names by its absolute path: one file for each program, the launcher and
# its companion (which lists the windows). Two of each: build/NAME.desktop
# for the program in the build tree (copy it to ~/.local/share/applications/
# to use that one), and the one installed beside the installed program. The
# installed path is known only when installing (`cmake --install --prefix`
# chooses it then), so that file is written at install time, from the
# prefix of that install; DESTDIR, where a package is staged, is no part of
# the path.
include(GNUInstallDirs)
set(desktop_template ${PROJECT_SOURCE_DIR}/platform/wayland/tarvexel.desktop.in)
foreach(program tarvexel tarvexel-inspect)
  if(program STREQUAL tarvexel)
    set(TARVEXEL_DESKTOP_NAME Tarvexel)
    set(TARVEXEL_DESKTOP_COMMENT "Runs or raises programs by the rules of a profile")
  else()
    set(TARVEXEL_DESKTOP_NAME "Tarvexel Inspect")
    set(TARVEXEL_DESKTOP_COMMENT "Lists the windows Tarvexel sees and explains a profile")
  endif()
  set(TARVEXEL_EXEC "$<TARGET_FILE:${program}>")
  configure_file(${desktop_template} ${PROJECT_BINARY_DIR}/${program}.desktop.build @ONLY)
  file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/${program}.desktop
    INPUT ${PROJECT_BINARY_DIR}/${program}.desktop.build)

  set(installed ${PROJECT_BINARY_DIR}/install/${program}.desktop)
  if(IS_ABSOLUTE ${CMAKE_INSTALL_BINDIR})
    set(exec_path ${CMAKE_INSTALL_BINDIR}/${program})
  else()
    set(exec_path "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}")
  endif()
  install(CODE "
    set(TARVEXEL_DESKTOP_NAME \"${TARVEXEL_DESKTOP_NAME}\")
    set(TARVEXEL_DESKTOP_COMMENT \"${TARVEXEL_DESKTOP_COMMENT}\")
    set(TARVEXEL_EXEC \"${exec_path}\")
    configure_file(\"${desktop_template}\" \"${installed}\" @ONLY)
  ")
  install(FILES ${installed} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endforeach()
