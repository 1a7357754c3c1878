// Linux: the window calls of platform/services.h, answered by the window
// system chosen for the run, and the notice.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/utf8.h"
#include "platform/services.h"
#include "platform/window_system.h"
#if TARVEXEL_WITH_X11
#include "platform/x11/dialog.h"
#endif

namespace {

// The window systems this build has (a packager may leave any of them out),
// in the order they are asked: the Wayland compositors that list their
// windows to other programs, then GNOME Shell through our own extension,
// then X11 (on a Wayland desktop without any of these, the windows of
// programs that run through XWayland). Null ends the list.
constexpr const WindowSystem* (*kSystems[])() = {
#if TARVEXEL_WITH_WAYLAND
    wayland::wlroots, wayland::kde,
#endif
#if TARVEXEL_WITH_GNOME
    gnome::windowSystem,
#endif
#if TARVEXEL_WITH_X11
    x11::windowSystem,
#endif
    nullptr};

// X11, which the others fall back to on their desktops; null in a build
// without it.
const WindowSystem* x11System() {
#if TARVEXEL_WITH_X11
  return x11::windowSystem();
#else
  return nullptr;
#endif
}

// The first system that answers.
const WindowSystem* choose() {
  for (const auto offered : kSystems) {
    if (offered == nullptr) break;
    if (const WindowSystem* system = offered()) return system;
  }
  return nullptr;
}
// How long choosing the window system may take, all systems together.
constexpr std::chrono::milliseconds kChoosingTime{1000};

// The name our GNOME Shell extension is installed and enabled under.
constexpr wchar_t kGnomeExtensionUuid[] = L"tarvexel@tarvexel.org";

// Chosen on the first window call, and kept for the run: a rule and the
// section it runs must speak of the same windows.
const WindowSystem* windowSystem() {
  static const WindowSystem* const chosen = choose();
  return chosen;
}

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

std::wstring environmentValue(const char* name) {
  return utf8::widenLossless(isSet(name) ? std::getenv(name) : "");
}

// A Wayland session of `desktop` (as XDG_CURRENT_DESKTOP names it) whose
// own windows this run cannot see: at most the XWayland ones, through X11.
bool seesOnlyXWaylandOn(const char* desktop) {
  const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
  return isSet("WAYLAND_DISPLAY") && desktops != nullptr && std::strstr(desktops, desktop) &&
         (windowSystem() == nullptr || windowSystem() == x11System());
}

// GNOME lists its windows to no one but our extension.
bool onGnomeWithoutOurExtension() { return TARVEXEL_WITH_GNOME && seesOnlyXWaylandOn("GNOME"); }

std::wstring gnomeHint() {
  return std::wstring(L"\nThis is GNOME, and its own windows stay hidden until Tarvexel's GNOME "
                      L"Shell extension is enabled: gnome-extensions enable ") +
         kGnomeExtensionUuid + L" (then log out and in once).";
}

// KWin lends its window list only to a program a desktop file names by its
// absolute path (X-KDE-Wayland-Interfaces).
bool onKdeWithoutPermission() { return TARVEXEL_WITH_WAYLAND && seesOnlyXWaylandOn("KDE"); }

std::wstring kdeHint() {
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  const std::string program(path, length > 0 ? static_cast<std::size_t>(length) : 0);
  const std::string name = program.substr(program.rfind('/') + 1);
  return L"\nThis is KDE Plasma, and KWin shows its windows only to a program that a desktop "
         L"file names: " + utf8::widenLossless(name) + L".desktop in ~/.local/share/applications "
         L"or /usr/share/applications, with Exec=\"" + utf8::widenLossless(program) +
         L"\" and X-KDE-Wayland-Interfaces=org_kde_plasma_window_management (the launcher needs "
         L"its own, tarvexel.desktop; the package installs both).";
}

std::wstring noSystem() {
  if (!isSet("WAYLAND_DISPLAY") && !isSet("DISPLAY")) {
    return L"none: neither WAYLAND_DISPLAY nor DISPLAY is set, so there is no desktop to ask";
  }
  if (!isSet("DISPLAY")) {
    if (!TARVEXEL_WITH_WAYLAND && !TARVEXEL_WITH_GNOME) {
      return L"none: this build of Tarvexel has no Wayland support, and DISPLAY is not set";
    }
    return L"none: the Wayland compositor at " + environmentValue("WAYLAND_DISPLAY") +
           L" offers no way to list windows, and DISPLAY is not set";
  }
  if (!TARVEXEL_WITH_X11) {
    return L"none: this build of Tarvexel has no X11 support, so the X display " +
           environmentValue("DISPLAY") + L" cannot be asked";
  }
  return L"none: the X display " + environmentValue("DISPLAY") +
         L" cannot be reached (or libxcb is missing)";
}

// How long the notice waits for room in standard error: a pipe that nobody
// empties must not hold the run up for ever.
constexpr int kRoomWaitMilliseconds = 1000;

// Writes what fits; gives up on a closed or broken stream, and on one that
// has had no room for kRoomWaitMilliseconds. The notice is shorter than
// PIPE_BUF, so once poll() reports room a pipe takes it whole, at once.
void writeToStandardError(const std::string& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    pollfd stream{STDERR_FILENO, POLLOUT, 0};
    const int ready = ::poll(&stream, 1, kRoomWaitMilliseconds);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || (stream.revents & POLLOUT) == 0) return;
    const ssize_t got = ::write(STDERR_FILENO, bytes.data() + written, bytes.size() - written);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    written += static_cast<std::size_t>(got);
  }
}

}  // namespace

std::chrono::steady_clock::time_point choosingEnds() {
  static const auto end = std::chrono::steady_clock::now() + kChoosingTime;
  return end;
}

std::vector<WindowDescription> ListTopLevelWindows() {
  const WindowSystem* system = windowSystem();
  return system ? system->listWindows() : std::vector<WindowDescription>();
}

std::wstring DescribeWindowSystem() {
  const WindowSystem* system = windowSystem();
  std::wstring text = system ? system->describe() : noSystem();
  if (onGnomeWithoutOurExtension()) text += gnomeHint();
  if (onKdeWithoutPermission()) text += kdeHint();
  return text;
}

// Asked of X11 whichever system the window calls use: a window manager is
// an X11 notion.
std::wstring WindowManagerName() {
#if TARVEXEL_WITH_X11
  return x11::windowManagerName();
#else
  return {};
#endif
}

std::wstring WhyNoWindowIsInFront() {
  const WindowSystem* system = windowSystem();
  return system && system->whyNoneInFront ? system->whyNoneInFront() : std::wstring();
}

// A desktop lists only the windows it shows (managed windows, toplevels);
// each system's search puts the one in front first where it cannot tell a
// stacking order.
HWND FindShownWindow(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  const WindowSystem* system = windowSystem();
  return system ? system->findWindow(className, title, titleMatch) : nullptr;
}

HWND GetForegroundWindow() {
  const WindowSystem* system = windowSystem();
  return system ? system->foregroundWindow() : nullptr;
}

BOOL SetForegroundWindow(HWND window) {
  const WindowSystem* system = windowSystem();
  if (system == nullptr || window == nullptr) return 0;
  system->activate(window);
  return 1;
}

HWND FindLeastRecentWindow(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  const WindowSystem* system = windowSystem();
  return system ? system->findLeastRecent(className, title, titleMatch) : nullptr;
}

// Each system's activate brings a minimised window back by itself, as a
// click on a task bar would.
BOOL ActivateWindow(HWND window) { return SetForegroundWindow(window); }

BOOL BringWindowHere(HWND window) {
  const WindowSystem* system = windowSystem();
  if (system == nullptr || window == nullptr) return 0;
  if (system->bringHere == nullptr) return ActivateWindow(window);
  system->bringHere(window);
  return 1;
}

std::wstring WhyWindowsStayOnTheirWorkspace() {
  const WindowSystem* system = windowSystem();
  if (system == nullptr) return {};
  if (system->bringHere == nullptr) {
    return L"this desktop lets no program move a window to another workspace: the window is "
           L"brought forward where it is";
  }
  return system->whyNotBroughtHere ? system->whyNotBroughtHere() : std::wstring();
}

// A request, as the others are. Minimising is the only command Tarvexel
// gives; the result, which nothing reads, says whether a window was asked.
BOOL ShowWindowAsync(HWND window, int command) {
  const WindowSystem* system = windowSystem();
  if (system == nullptr || window == nullptr || command != SW_MINIMIZE) return 0;
  system->minimize(window);
  return 1;
}

// Only a close request: a window may turn it down, and is never killed.
LRESULT SendMessageTimeoutW(HWND window, UINT message, WPARAM, LPARAM, UINT, UINT, DWORD_PTR*) {
  const WindowSystem* system = windowSystem();
  if (system != nullptr && window != nullptr && message == WM_CLOSE) system->close(window);
  return 0;
}

// The notice goes to standard error, in UTF-8 whatever the locale so that
// the Japanese text arrives intact, and then, where there is a desktop, into
// a box that stays until it is dismissed. Whatever standard error is, the
// run ends as a shown notice does.
int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
  writeToStandardError(utf8::narrow(text) + "\n");
#if TARVEXEL_WITH_X11
  x11::showDialog(text, caption);
#else
  static_cast<void>(caption);
#endif
  return 1;  // IDOK
}
