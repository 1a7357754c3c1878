# Windows and the notice box on X11 desktops. libxcb (the window search and
# requests), libX11 and libXft (the notice box) are opened at run time, when
# a display is named; building needs only their headers (Debian: libxcb1-dev,
# libx11-dev, libxft-dev); -DTARVEXEL_X11=OFF builds without X11.
find_package(X11)
find_package(Freetype)
if(NOT X11_FOUND OR NOT X11_xcb_INCLUDE_PATH OR NOT X11_Xft_INCLUDE_PATH OR NOT FREETYPE_FOUND)
  tarvexel_missing_headers("the headers of libxcb, libX11 or libXft are missing"
    "libxcb1-dev, libx11-dev, libxft-dev" X11)
endif()

tarvexel_platform_sources(x11
  authority.cpp
  connection.cpp
  deadline.cpp
  desktops.cpp
  dialog.cpp
  display.cpp
  display_name.cpp
  display_socket.cpp
  client_windows.cpp
  host_address.cpp
  text.cpp
  windows.cpp
)
target_include_directories(tarvexel_platform SYSTEM PRIVATE
  ${X11_INCLUDE_DIR} ${X11_Xft_INCLUDE_PATH} ${FREETYPE_INCLUDE_DIRS})

# A display's host name is looked up on a thread of its own.
find_package(Threads REQUIRED)
target_link_libraries(tarvexel_platform PRIVATE Threads::Threads)
