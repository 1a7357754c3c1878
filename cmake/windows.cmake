# The Windows program: the launcher over the system's own services. Included
# before any target is made, so that every target is built the same way.

# The program uses the wide ("W") calls and records only.
add_compile_definitions(UNICODE _UNICODE)

# A bare device has no compiler run-time to lend: link it into the program.
if(MSVC)
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS)  # _wfopen is also what Windows CE has
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
elseif(MINGW)
  add_link_options(-static)
endif()

# WIN32: a GUI program, so starting it opens no console window. The core's
# objects go in whole: its entry point is wanted only by the start-up code of
# the C run-time, which the GNU linker reaches after the libraries.
add_executable(tarvexel WIN32
  platform/win32/windows.cpp
  $<TARGET_OBJECTS:tarvexel_core>
)
target_link_libraries(tarvexel PRIVATE tarvexel_profile user32 shell32 ole32)
if(MINGW)
  # Enter through wWinMain, which is handed the command line as wide text.
  target_link_options(tarvexel PRIVATE -municode)
endif()
