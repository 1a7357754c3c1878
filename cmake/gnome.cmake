# Windows of a GNOME Shell session, through the extension Tarvexel ships.
# The launcher's side speaks sd-bus, opened at run time
# (platform/gnome/sd_bus.h); building needs only its header (Debian:
# libsystemd-dev).
include(GNUInstallDirs)

find_path(TARVEXEL_SD_BUS_INCLUDE_DIR systemd/sd-bus.h)
if(NOT TARVEXEL_SD_BUS_INCLUDE_DIR)
  tarvexel_missing_headers("the sd-bus header is missing" libsystemd-dev GNOME)
endif()

tarvexel_platform_sources(gnome bus.cpp windows.cpp)
target_include_directories(tarvexel_platform SYSTEM PRIVATE ${TARVEXEL_SD_BUS_INCLUDE_DIR})

# The extension, in two builds around one window logic (windows.js): GNOME
# Shell 43 and 44 load a script with init() (legacy.js), 45 and later an ES
# module (module.js), and neither loads the other's. Both are made here, in
# gnome-extension/43/UUID and gnome-extension/45/UUID, each answering only
# the programs of this build tree (allowed-programs), as the tests run them.
set(TARVEXEL_GNOME_UUID tarvexel@tarvexel.org)
set(extension_source ${PROJECT_SOURCE_DIR}/platform/gnome/extension)
set(TARVEXEL_GNOME_EXTENSION_DIR ${PROJECT_BINARY_DIR}/gnome-extension)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${extension_source}/windows.js)
file(READ ${extension_source}/windows.js WINDOW_LOGIC)
# The shell versions each build is tested on, or, past the newest tested
# (50), expected to load on: a shell whose version is not listed marks the
# extension OUT OF DATE and does not load it.
set(legacy_versions [["43", "44"]])
set(module_versions [["45", "46", "47", "48", "49", "50", "51"]])
foreach(style 43 45)
  if(style EQUAL 43)
    set(wrapper legacy.js)
    set(TARVEXEL_GNOME_SHELL_VERSIONS ${legacy_versions})
  else()
    set(wrapper module.js)
    set(TARVEXEL_GNOME_SHELL_VERSIONS ${module_versions})
  endif()
  set(built ${TARVEXEL_GNOME_EXTENSION_DIR}/${style}/${TARVEXEL_GNOME_UUID})
  configure_file(${extension_source}/${wrapper} ${built}/extension.js @ONLY)
  configure_file(${extension_source}/metadata.json.in ${built}/metadata.json @ONLY)
  file(GENERATE OUTPUT ${built}/allowed-programs
    CONTENT "$<TARGET_FILE:tarvexel>\n$<TARGET_FILE:tarvexel-inspect>\n")
endforeach()

# Installed: one folder under the one UUID, as the shell looks an extension
# up by it, holding both builds (extension-43.js, extension-45.js) and
# metadata that names every version either loads on. extension.js is a link
# to the build the installed shell loads, made by select-gnome-build: by
# `cmake --install` itself, and by the Debian package's scripts at install
# time and again whenever gnome-shell is installed, upgraded or removed, so
# a system upgraded from GNOME 43 to 48 gets the module build with it. A
# staged install (DESTDIR, as for a package) leaves the link to the
# package's scripts.
set(TARVEXEL_GNOME_SHELL_VERSIONS "${legacy_versions}, ${module_versions}")
set(installed ${TARVEXEL_GNOME_EXTENSION_DIR}/installed)
configure_file(${extension_source}/metadata.json.in ${installed}/metadata.json @ONLY)
set(extension_dest ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions/${TARVEXEL_GNOME_UUID})
install(FILES ${installed}/metadata.json DESTINATION ${extension_dest})
foreach(style 43 45)
  install(FILES ${TARVEXEL_GNOME_EXTENSION_DIR}/${style}/${TARVEXEL_GNOME_UUID}/extension.js
    DESTINATION ${extension_dest} RENAME extension-${style}.js)
endforeach()
set(TARVEXEL_SELECT_GNOME_BUILD
  ${CMAKE_INSTALL_FULL_LIBEXECDIR}/tarvexel/select-gnome-build)
install(PROGRAMS ${extension_source}/select-gnome-build
  DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tarvexel)
# The programs the extension answers, where this install puts them (under
# the prefix `cmake --install --prefix` gives), their folder followed
# through links when it is there already.
install(CODE "
  set(folder \"\${CMAKE_INSTALL_PREFIX}/${extension_dest}\")
  set(bin \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  set(staged \"\$ENV{DESTDIR}\")
  if(staged STREQUAL \"\" AND IS_DIRECTORY \"\${bin}\")
    file(REAL_PATH \"\${bin}\" bin)
  endif()
  message(STATUS \"Installing: \${staged}\${folder}/allowed-programs\")
  file(WRITE \"\${staged}\${folder}/allowed-programs\" \"\${bin}/tarvexel\\n\${bin}/tarvexel-inspect\\n\")
  if(staged STREQUAL \"\")
    execute_process(COMMAND sh \"${extension_source}/select-gnome-build\" \"\${folder}\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()
")
