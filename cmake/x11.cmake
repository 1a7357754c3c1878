# Windows and the notice box on X11 desktops. libxcb (the window search and
# requests), libX11 and libXft (the notice box) are opened at run time, when
# a display is named; building needs only their headers (Debian: libxcb1-dev,
# libx11-dev, libxft-dev); -DTARVEXEL_X11=OFF builds without X11.
find_package(X11)
find_package(Freetype)
if(NOT X11_FOUND OR NOT X11_xcb_INCLUDE_PATH OR NOT X11_Xft_INCLUDE_PATH OR NOT FREETYPE_FOUND)
  message(FATAL_ERROR "the headers of libxcb, libX11 or libXft are missing (Debian: "
    "libxcb1-dev, libx11-dev, libxft-dev); -DTARVEXEL_X11=OFF builds without X11")
endif()

target_sources(tarvexel_platform PRIVATE
  ${PROJECT_SOURCE_DIR}/platform/x11/authority.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/connection.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/deadline.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/desktops.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/dialog.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/display.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/display_name.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/display_socket.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/client_windows.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/host_address.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/text.cpp
  ${PROJECT_SOURCE_DIR}/platform/x11/windows.cpp
)
target_include_directories(tarvexel_platform SYSTEM PRIVATE
  ${X11_INCLUDE_DIR} ${X11_Xft_INCLUDE_PATH} ${FREETYPE_INCLUDE_DIRS})

# A display's host name is looked up on a thread of its own.
find_package(Threads REQUIRED)
target_link_libraries(tarvexel_platform PRIVATE Threads::Threads)
