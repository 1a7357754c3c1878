# What the file of each window system (cmake/NAME.cmake, included from
# CMakeLists.txt under its option TARVEXEL_NAME) does alike.

# tarvexel_missing_headers(WHAT PACKAGES SYSTEM): fails the configuration,
# saying WHAT is missing, the Debian PACKAGES that bring it, and the option
# that builds without the SYSTEM (TARVEXEL_ and its name in capitals).
function(tarvexel_missing_headers what packages system)
  string(TOUPPER ${system} option)
  message(FATAL_ERROR
    "${what} (Debian: ${packages}); -DTARVEXEL_${option}=OFF builds without ${system}")
endfunction()

# tarvexel_platform_sources(FOLDER SOURCE...): adds the system's SOURCEs,
# in platform/FOLDER/, to tarvexel_platform.
function(tarvexel_platform_sources folder)
  set(sources ${ARGN})
  list(TRANSFORM sources PREPEND ${PROJECT_SOURCE_DIR}/platform/${folder}/)
  target_sources(tarvexel_platform PRIVATE ${sources})
endfunction()
