# The Debian package (cpack -G DEB in a Linux build folder; it installs
# under /usr whatever the folder's prefix, see cpack_options.cmake.in): its
# control fields, and the two documents Debian asks of every package, made
# in the build folder's debian/ from the project's own: the copyright file
# in Debian's machine-readable form, with the licence of LICENSE, and the
# gzip'd changelog.

set(CPACK_DEBIAN_PACKAGE_NAME tarvexel)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Staged through DESTDIR, so that what is written at install time (the
# desktop files' Exec=) sees the prefix the package installs to, /usr, and
# not the staging folder.
set(CPACK_SET_DESTDIR ON)
# What the programs link (the C library; for tarvexel-inspect also pugixml,
# with which it edits openbox's and labwc's rc.xml, and libsystemd, with
# which it binds keys over the session bus) is found by dpkg-shlibdeps. The
# launcher opens the desktop libraries at run time, each only when a display
# of its kind is named, so a run without a desktop needs none of them;
# xdg-open opens documents and URLs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(recommends)
if(TARVEXEL_X11)
  list(APPEND recommends libx11-6 libxft2 libxcb1)
endif()
if(TARVEXEL_WAYLAND)
  list(APPEND recommends libwayland-client0)
endif()
if(TARVEXEL_GNOME)
  list(APPEND recommends libsystemd0)
endif()
list(APPEND recommends xdg-utils)
string(REPLACE ";" ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS "${recommends}")

set(debian_dir ${PROJECT_BINARY_DIR}/debian)

# The changelog's newest entry names the version being packaged.
set(changelog ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} newest LIMIT_COUNT 1)
set(package_version ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
if(NOT newest MATCHES "^tarvexel \\(${package_version}\\) ")
  message(FATAL_ERROR "${changelog} does not begin with an entry for ${package_version}")
endif()
add_custom_command(OUTPUT ${debian_dir}/changelog.Debian.gz
  COMMAND sh -c "gzip -9 -n < \"$0\" > \"$1\"" ${changelog} ${debian_dir}/changelog.Debian.gz
  DEPENDS ${changelog}
  VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${debian_dir}/changelog.Debian.gz)

# The copyright file: the holders and the licence's text as LICENSE has
# them, the text indented by one blank with "." for an empty line.
set(license ${PROJECT_SOURCE_DIR}/LICENSE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${license})
file(READ ${license} license_text)
if(NOT license_text MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(Permission .*[^\n])\n*$")
  message(FATAL_ERROR "${license}: no copyright line followed by the permission text")
endif()
set(TARVEXEL_COPYRIGHT ${CMAKE_MATCH_1})
string(REPLACE "\n\n" "\n.\n" license_text "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " license_text " ${license_text}")
set(TARVEXEL_LICENSE_TEXT "${license_text}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/copyright.in ${debian_dir}/copyright @ONLY)

configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/cpack_options.cmake.in
  ${debian_dir}/cpack_options.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${debian_dir}/cpack_options.cmake)

# The scripts that point the GNOME Shell extension at the build the
# installed shell loads (cmake/gnome.cmake), run again by a trigger whenever
# a package changes gnome-shell.
if(TARVEXEL_SELECT_GNOME_BUILD)
  set(TARVEXEL_GNOME_EXTENSION_FOLDER
    ${CMAKE_INSTALL_FULL_DATADIR}/gnome-shell/extensions/${TARVEXEL_GNOME_UUID})
  foreach(script postinst prerm)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/${script}.in ${debian_dir}/${script}
      @ONLY)
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/triggers ${debian_dir}/triggers COPYONLY)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${debian_dir}/postinst ${debian_dir}/prerm ${debian_dir}/triggers)
endif()
