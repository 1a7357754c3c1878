# What `cmake --install` puts in place, and so what the packages hold.
# TARVEXEL_PROGRAMS names the programs a user runs; on Linux each has a
# manual page of its name in section 1. Files that belong to one window
# system are installed where that system is built.

include(GNUInstallDirs)
if(WIN32)
  # One folder, as a user unpacks it: the programs with the readme, the
  # licence and the examples beside them, the texts named so that a double
  # click opens them.
  set(program_dir .)
  set(doc_dir .)
  set(readme_name README.txt)
  set(license_name LICENSE.txt)
else()
  set(program_dir ${CMAKE_INSTALL_BINDIR})
  set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/tarvexel)
  set(readme_name README.md)
  set(license_name LICENSE)
endif()

install(TARGETS ${TARVEXEL_PROGRAMS} RUNTIME DESTINATION ${program_dir})
install(FILES README.md DESTINATION ${doc_dir} RENAME ${readme_name})
install(FILES LICENSE DESTINATION ${doc_dir} RENAME ${license_name})
install(DIRECTORY examples/ DESTINATION ${doc_dir}/examples)

if(WIN32)
  # The installer alone takes NEWS (see nsis.cmake): the zip holds the
  # programs and what a user needs beside them.
  install(FILES NEWS DESTINATION ${doc_dir} RENAME NEWS.txt COMPONENT installer EXCLUDE_FROM_ALL)
endif()

if(TARVEXEL_MAN_PAGES)
  foreach(program ${TARVEXEL_PROGRAMS})
    install(FILES ${PROJECT_BINARY_DIR}/man/${program}.1.gz
      DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  install(FILES ${PROJECT_BINARY_DIR}/man/tarvexel.5.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)
  install(FILES ${PROJECT_BINARY_DIR}/man/tarvexel-desktops.7.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man7)
endif()

if(NOT WIN32)
  # Debian's own documents go into the Debian package only.
  install(FILES
      ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
    DESTINATION ${doc_dir} COMPONENT debian EXCLUDE_FROM_ALL)
endif()
