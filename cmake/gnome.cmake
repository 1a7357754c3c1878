# Windows of a GNOME Shell session, through the extension Tarvexel ships.
# The launcher's side speaks sd-bus, opened at run time
# (platform/gnome/library.h); building needs only its header (Debian:
# libsystemd-dev).
include(GNUInstallDirs)

find_path(TARVEXEL_SD_BUS_INCLUDE_DIR systemd/sd-bus.h)
if(NOT TARVEXEL_SD_BUS_INCLUDE_DIR)
  message(FATAL_ERROR "the sd-bus header is missing (Debian: libsystemd-dev)")
endif()

target_sources(tarvexel_platform PRIVATE
  ${PROJECT_SOURCE_DIR}/platform/gnome/bus.cpp
  ${PROJECT_SOURCE_DIR}/platform/gnome/library.cpp
  ${PROJECT_SOURCE_DIR}/platform/gnome/windows.cpp
)
target_include_directories(tarvexel_platform SYSTEM PRIVATE ${TARVEXEL_SD_BUS_INCLUDE_DIR})

# The extension, in two builds around one window logic (windows.js): GNOME
# Shell 43 and 44 load a script with init() (legacy.js), 45 and later an ES
# module (module.js), and neither loads the other's. Both are made here, in
# gnome-extension/43/UUID and gnome-extension/45/UUID.
set(TARVEXEL_GNOME_UUID tarvexel@tarvexel.org)
set(extension_source ${PROJECT_SOURCE_DIR}/platform/gnome/extension)
set(TARVEXEL_GNOME_EXTENSION_DIR ${PROJECT_BINARY_DIR}/gnome-extension)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${extension_source}/windows.js)
file(READ ${extension_source}/windows.js WINDOW_LOGIC)
foreach(style 43 45)
  if(style EQUAL 43)
    set(wrapper legacy.js)
    set(TARVEXEL_GNOME_SHELL_VERSIONS [["43", "44"]])
  else()
    set(wrapper module.js)
    set(TARVEXEL_GNOME_SHELL_VERSIONS [["45", "46", "47", "48", "49"]])
  endif()
  set(built ${TARVEXEL_GNOME_EXTENSION_DIR}/${style}/${TARVEXEL_GNOME_UUID})
  configure_file(${extension_source}/${wrapper} ${built}/extension.js @ONLY)
  configure_file(${extension_source}/metadata.json.in ${built}/metadata.json @ONLY)
endforeach()

# Installed in the style of the GNOME Shell found here; 43 when there is none.
set(found_style 43)
execute_process(COMMAND gnome-shell --version OUTPUT_VARIABLE shell_version ERROR_QUIET)
if(shell_version MATCHES "GNOME Shell ([0-9]+)" AND CMAKE_MATCH_1 GREATER_EQUAL 45)
  set(found_style 45)
endif()
set(TARVEXEL_GNOME_EXTENSION_STYLE ${found_style} CACHE STRING
  "GNOME Shell extension build to install: 43 (GNOME 43 and 44) or 45 (GNOME 45 and later)")
set_property(CACHE TARVEXEL_GNOME_EXTENSION_STYLE PROPERTY STRINGS 43 45)
if(NOT TARVEXEL_GNOME_EXTENSION_STYLE MATCHES "^(43|45)$")
  message(FATAL_ERROR "TARVEXEL_GNOME_EXTENSION_STYLE must be 43 or 45")
endif()
install(DIRECTORY
  ${TARVEXEL_GNOME_EXTENSION_DIR}/${TARVEXEL_GNOME_EXTENSION_STYLE}/${TARVEXEL_GNOME_UUID}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions)
