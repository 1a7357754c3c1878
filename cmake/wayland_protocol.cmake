# wayland-scanner, which turns each protocol file into a header and a table
# of interface descriptions, written in C: for the program's Wayland code
# (cmake/wayland.cmake) and for the tests' Wayland programs, which GNOME's
# cases use too. TARVEXEL_WAYLAND_PROTOCOLS_FOUND says whether the machine
# has it and libwayland-client's headers (Debian: libwayland-dev).
include_guard(GLOBAL)
enable_language(C)
find_package(PkgConfig)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(WAYLAND_CLIENT wayland-client)
endif()
find_program(WAYLAND_SCANNER wayland-scanner)
if(WAYLAND_CLIENT_FOUND AND WAYLAND_SCANNER)
  set(TARVEXEL_WAYLAND_PROTOCOLS_FOUND ON)
else()
  set(TARVEXEL_WAYLAND_PROTOCOLS_FOUND OFF)
endif()

set(TARVEXEL_PROTOCOL_DIR ${PROJECT_BINARY_DIR}/protocols)
file(MAKE_DIRECTORY ${TARVEXEL_PROTOCOL_DIR})

# tarvexel_wayland_protocol(NAME XML OUTPUTS): generates NAME-client-
# protocol.h and NAME-protocol.c from XML and appends their paths to OUTPUTS.
# The tables are private to the program that builds them in, so they never
# meet libwayland's own.
function(tarvexel_wayland_protocol name xml outputs)
  set(header ${TARVEXEL_PROTOCOL_DIR}/${name}-client-protocol.h)
  set(code ${TARVEXEL_PROTOCOL_DIR}/${name}-protocol.c)
  add_custom_command(OUTPUT ${header} ${code}
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header}
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
    DEPENDS ${xml} VERBATIM)
  set(${outputs} ${${outputs}} ${header} ${code} PARENT_SCOPE)
endfunction()
