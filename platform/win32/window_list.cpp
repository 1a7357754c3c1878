// Windows: the top-level windows for the companion program, walked with the
// calls Windows CE has as well (GetWindow, GetClassNameW, GetWindowTextW).
#include <cstdint>
#include <cwchar>
#include <vector>

#include "platform/services.h"

namespace {

// Class names are at most 256 characters; titles are cut at this length.
constexpr int kLongestName = 1024;

std::wstring classNameOf(HWND window) {
  wchar_t name[257] = {};
  const int length = GetClassNameW(window, name, 257);
  return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::wstring titleOf(HWND window) {
  std::wstring title(kLongestName, L'\0');
  const int length = GetWindowTextW(window, &title[0], kLongestName);
  title.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return title;
}

// A window handle lasts as long as its window: it is the window's id.
std::wstring idOf(HWND window) {
  wchar_t text[24];
  std::swprintf(text, 24, L"0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
  return text;
}

}  // namespace

// The visible ones, top of the Z order first, as FindWindowW meets them;
// FindWindowW also finds hidden windows, which a person cannot pick.
std::vector<WindowDescription> ListTopLevelWindows() {
  const HWND front = GetForegroundWindow();
  std::vector<WindowDescription> list;
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (!IsWindowVisible(window)) continue;
    WindowDescription description;
    description.handle = window;
    description.classes = {classNameOf(window)};
    description.title = titleOf(window);
    description.front = window == front;
    description.minimized = IsIconic(window) != FALSE;
    description.id = idOf(window);
    list.push_back(std::move(description));
  }
  return list;
}

std::wstring DescribeWindowSystem() {
  return L"Windows (the visible top-level windows, top of the stack first)";
}

// Windows has no window manager of its own name.
std::wstring WindowManagerName() { return {}; }

// Windows leaves a window in front whenever one is shown: nothing more to say.
std::wstring WhyNoWindowIsInFront() { return {}; }

// The shell decides when it is asked: it is handed the file and the
// parameters as they are.
OpenPlan PlanOpen(const std::wstring& file, const std::wstring& parameters) {
  return {OpenPlan::Outcome::shellDecides, file, {parameters}, {}};
}
