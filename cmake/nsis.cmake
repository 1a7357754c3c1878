# The Windows installer (cpack -G NSIS in a Windows build folder, with
# Debian's nsis): tarvexel-1.1.0-windows-x86_64.exe. It installs what the zip
# holds, and NEWS, into Program Files\Tarvexel, puts the README and the
# examples into a Start-menu folder and registers an uninstaller that removes
# all of it again; /S does either without asking. One folder and one
# registration whatever the version: an installer first removes what an
# earlier one installed (with /S without asking).

set(CPACK_PACKAGE_INSTALL_DIRECTORY Tarvexel)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Tarvexel)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MENU_LINKS ${readme_name} README examples Examples)
# What Windows' list of installed programs shows beside the name.
set(CPACK_NSIS_INSTALLED_ICON_NAME tarvexel.exe)

# The installer runs as the processor the program was built for: a 64-bit one
# starts on a 64-bit Windows that runs no 32-bit programs, and installs into
# the 64-bit Program Files. NSIS makes Unicode installers of both widths, so
# that any folder name can be chosen; cpack_options.cmake hands the target to
# makensis.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86_64)
  set(TARVEXEL_NSIS_TARGET amd64-unicode)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
else()
  set(TARVEXEL_NSIS_TARGET x86-unicode)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
endif()

configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/cpack_options.cmake.in
  ${PROJECT_BINARY_DIR}/windows/cpack_options.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/windows/cpack_options.cmake)
