// Windows: the top-level windows for the companion program, walked with the
// calls Windows CE has as well (GetWindow, GetClassNameW, GetWindowTextW).
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

}  // namespace

// The visible ones, top of the Z order first, as FindWindowW meets them;
// FindWindowW also finds hidden windows, which a person cannot pick.
std::vector<WindowDescription> ListTopLevelWindows() {
  const HWND front = GetForegroundWindow();
  std::vector<WindowDescription> list;
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (!IsWindowVisible(window)) continue;
    list.push_back({window, {classNameOf(window)}, titleOf(window), window == front});
  }
  return list;
}

std::wstring DescribeWindowSystem() {
  return L"Windows (the visible top-level windows, top of the stack first)";
}

// The shell decides when it is asked: it is handed the file and the
// parameters as they are.
OpenPlan PlanOpen(const std::wstring& file, const std::wstring& parameters) {
  return {OpenPlan::Outcome::shellDecides, file, {parameters}, {}};
}
