// Which desktop this is, from each desktop's own signals.
#include "app/inspect/bind/desktops.h"

#ifdef _WIN32

#include <windows.h>

std::wstring installedLauncher() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, &path[0], MAX_PATH));
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"tarvexel.exe";
}

const KeyBinder* binderOfThisDesktop(std::wstring& desktop) {
  desktop = L"Windows";
  return windowsBinder();
}

#else

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/posix/utf8.h"
#include "platform/services.h"

namespace {

const char* environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

// Whether a colon-separated list, as XDG_CURRENT_DESKTOP is, holds `name`.
[[maybe_unused]] bool listNames(const std::string& list, const std::string& name) {
  return (":" + list + ":").find(":" + name + ":") != std::string::npos;
}

}  // namespace

std::wstring installedLauncher() {
  char path[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  const std::string self = length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "";
  return utf8::widenLossless(self.substr(0, self.rfind('/') + 1) + "tarvexel");
}

const KeyBinder* binderOfThisDesktop(std::wstring& desktop) {
  const KeyBinder* binder = nullptr;
  // Their own signals, which a session's XDG_CURRENT_DESKTOP may not
  // name; openbox only on an X display of its own, not through XWayland.
  if (environment("SWAYSOCK") != nullptr) {
    binder = swayBinder();
  } else if (environment("LABWC_PID") != nullptr) {
    binder = labwcBinder();
  } else if (environment("DISPLAY") != nullptr && environment("WAYLAND_DISPLAY") == nullptr &&
             WindowManagerName() == L"Openbox") {
    binder = openboxBinder();
  }
  if (binder != nullptr) {
    desktop = binder->desktop;
    return binder;
  }
  if (const char* name = environment("XDG_CURRENT_DESKTOP")) {
    desktop = utf8::widenLossless(name);
#if TARVEXEL_BIND_OVER_SESSION_BUS
    if (listNames(name, "GNOME")) return gnomeBinder();
    if (listNames(name, "KDE")) return kdeBinder();
#endif
  } else if (environment("WAYLAND_DISPLAY") != nullptr) {
    desktop = L"a Wayland compositor that names itself nowhere";
  } else if (environment("DISPLAY") != nullptr) {
    const std::wstring name = WindowManagerName();
    desktop = name.empty() ? L"an X11 window manager" : L"the X11 window manager " + name;
  } else {
    desktop = L"no desktop (neither DISPLAY nor WAYLAND_DISPLAY is set)";
  }
  return nullptr;
}

#endif
