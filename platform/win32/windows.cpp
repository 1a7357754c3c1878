// The window calls of platform/services.h that Windows lacks. The search
// uses only calls that Windows CE has as well, but for the comparison of
// names (see sameName); activation bounds its waits with desktop Windows'
// asynchronous calls.
#include "platform/services.h"

#include <string>
#include <string_view>

namespace {

// Class names are at most 256 characters long.
constexpr int kClassChars = 257;

// A name as FindWindowW matches it, so that the walk below sees the windows
// FindWindowW would find: the system compares class and window names
// ignoring case, by the operating system's own upper-case table, code unit
// by code unit (RtlEqualUnicodeString, and class names through the atom
// table), never by the user's language. CompareStringOrdinal is that
// comparison; lstrcmpiW is not, being linguistic: it passes over characters
// such as the soft hyphen, and would take "Note\u00ADpad" for "Notepad".
// Windows CE lacks it; its build would need CharUpperBuffW on both names.
bool sameName(std::wstring_view name, std::wstring_view wanted) {
  return CompareStringOrdinal(name.data(), static_cast<int>(name.size()), wanted.data(),
                              static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL;
}

// A title by part is compared the same way, over the part's length.
bool titleMatches(std::wstring_view title, std::wstring_view wanted, TitleMatch titleMatch) {
  if (titleMatch == TitleMatch::exact) return sameName(title, wanted);
  if (title.size() < wanted.size()) return false;
  const std::size_t last = title.size() - wanted.size();
  switch (titleMatch) {
    case TitleMatch::prefix:
      return sameName(title.substr(0, wanted.size()), wanted);
    case TitleMatch::suffix:
      return sameName(title.substr(last), wanted);
    default:
      for (std::size_t at = 0; at <= last; ++at) {
        if (sameName(title.substr(at, wanted.size()), wanted)) return true;
      }
      return false;
  }
}

bool hasClass(HWND window, LPCWSTR wanted) {
  wchar_t name[kClassChars];
  const int length = GetClassNameW(window, name, kClassChars);
  return sameName(std::wstring_view(name, length > 0 ? static_cast<std::size_t>(length) : 0),
                  wanted);
}

bool hasTitle(HWND window, LPCWSTR wanted, TitleMatch titleMatch) {
  std::wstring title(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = GetWindowTextW(window, &title[0], static_cast<int>(title.size()));
  title.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return titleMatches(title, wanted, titleMatch);
}

bool matches(HWND window, LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  return IsWindowVisible(window) && (className == nullptr || hasClass(window, className)) &&
         (title == nullptr || hasTitle(window, title, titleMatch));
}

// The top-level windows, top of the Z order first, as FindWindowW meets
// them, until `visit` says stop. EnumWindows rather than a GetWindow walk,
// which a window closing under it can send round in circles.
template <typename Visit>
BOOL CALLBACK visitWindow(HWND window, LPARAM visit) {
  return (*reinterpret_cast<Visit*>(visit))(window) ? TRUE : FALSE;
}

template <typename Visit>
void eachTopLevelWindow(Visit visit) {
  EnumWindows(visitWindow<Visit>, reinterpret_cast<LPARAM>(&visit));
}

// Whether the window's program takes its messages within a second. A
// program that has stopped answering would hold every synchronous call on
// its window, and the run with it, until it came back.
bool answers(HWND window) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored) != 0;
}

}  // namespace

// A newer window of the class, or one made hidden, must not take the rule
// from the one the user sees in front.
HWND FindShownWindow(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  const HWND front = GetForegroundWindow();
  if (front != nullptr && matches(front, className, title, titleMatch)) return front;
  HWND found = nullptr;
  eachTopLevelWindow([&](HWND window) {
    if (matches(window, className, title, titleMatch)) found = window;
    return found == nullptr;
  });
  return found;
}

// The last match in Z order is the window brought forward longest ago.
HWND FindLeastRecentWindow(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  HWND least = nullptr;
  eachTopLevelWindow([&](HWND window) {
    if (matches(window, className, title, titleMatch)) least = window;
    return true;
  });
  return least;
}

// SetForegroundWindow activates a minimised window where it lies, on the
// task bar; restoring it first brings it back as it was, maximised or not.
// IsIconic is desktop Windows' alone: Windows CE has no minimised state (it
// puts such a window behind the desktop, and bringing it forward is enough).
// Activating a window raises it on Windows, but not everywhere (Wine
// without a window manager leaves the Z order as it was), and "next" needs
// the window it brought forward on top before the next press: the raise is
// asked for outright, and waited for. A window whose program does not answer
// is only asked, so that it comes forward once it answers again and the run
// goes on now.
BOOL ActivateWindow(HWND window) {
  const bool waitFor = answers(window);
  if (IsIconic(window)) {
    if (waitFor) {
      ShowWindow(window, SW_RESTORE);
    } else {
      ShowWindowAsync(window, SW_RESTORE);
    }
  }
  const UINT asynchronous = waitFor ? 0 : SWP_ASYNCWINDOWPOS;
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | asynchronous);
  return SetForegroundWindow(window);
}

// Windows lets no program move another program's window to another virtual
// desktop (its interface for that takes only the caller's own windows).
BOOL BringWindowHere(HWND window) { return ActivateWindow(window); }

std::wstring WhyWindowsStayOnTheirWorkspace() {
  return L"Windows lets no program move another program's window to another virtual desktop: "
         L"the window is brought forward on its own";
}
