# Windows and the notice box on X11 desktops. libxcb (the window search and
# requests), libX11 and libXft (the notice box) are opened at run time, when
# a display is named; building needs only their headers (Debian: libxcb1-dev,
# libx11-dev, libxft-dev).
find_package(X11 REQUIRED)
find_package(Freetype REQUIRED)
if(NOT X11_Xft_INCLUDE_PATH)
  message(FATAL_ERROR "the Xft headers are missing (Debian: libxft-dev)")
endif()

target_sources(tarvexel_platform PRIVATE
  ${PROJECT_SOURCE_DIR}/platform/x11/authority.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/connection.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/deadline.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/dialog.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/display.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/display_name.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/display_socket.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/host_address.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/snapshot.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/text.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/windows.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/xcb.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/xft.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/xlib.cpp
)
target_include_directories(tarvexel_platform SYSTEM PRIVATE
  ${X11_INCLUDE_DIR} ${X11_Xft_INCLUDE_PATH} ${FREETYPE_INCLUDE_DIRS})

# A display's host name is looked up on a thread of its own.
find_package(Threads REQUIRED)
target_link_libraries(tarvexel_platform PRIVATE Threads::Threads)

# glibc keeps dlopen in libc from 2.34 on; older ones and others need libdl.
include(CheckCXXSymbolExists)
check_cxx_symbol_exists(dlopen dlfcn.h TARVEXEL_DLOPEN_IN_LIBC)
if(NOT TARVEXEL_DLOPEN_IN_LIBC)
  target_link_libraries(tarvexel_platform PRIVATE ${CMAKE_DL_LIBS})
endif()
