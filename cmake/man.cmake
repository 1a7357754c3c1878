# The manual pages, written in scdoc (man/NAME.SECTION.scd) and built with
# the program into the build folder's man/: NAME.SECTION to read with
# `man -l`, and its gzip'd form, which is what gets installed.
# Without scdoc the programs are built all the same and the pages left
# out; the packages refuse to be made without them (see package.cmake).
find_program(TARVEXEL_SCDOC scdoc)
if(NOT TARVEXEL_SCDOC)
  message(WARNING "scdoc is missing: the manual pages are left out of the build and of "
    "`cmake --install` (Debian: scdoc)")
  set(TARVEXEL_MAN_PAGES OFF)
  return()
endif()
set(TARVEXEL_MAN_PAGES ON)

file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
set(built_pages)
foreach(page tarvexel.1 tarvexel.5 tarvexel-inspect.1 tarvexel-desktops.7)
  set(source ${PROJECT_SOURCE_DIR}/man/${page}.scd)
  set(roff ${PROJECT_BINARY_DIR}/man/${page})
  add_custom_command(OUTPUT ${roff} ${roff}.gz
    COMMAND sh -c "\"$0\" < \"$1\" > \"$2\"" ${TARVEXEL_SCDOC} ${source} ${roff}
    # -n: no name or time in the gzip header, so that two builds agree.
    COMMAND gzip -9 -n -k -f ${roff}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND built_pages ${roff}.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${built_pages})
