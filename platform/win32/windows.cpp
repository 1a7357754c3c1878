// The window calls of platform/services.h that Windows lacks. The search
// uses only calls that Windows CE has as well, but for the comparison of
// names (see sameName).
#include "platform/services.h"

#include <string>

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
bool sameName(const wchar_t* name, int length, LPCWSTR wanted) {
  return CompareStringOrdinal(name, length, wanted, -1, TRUE) == CSTR_EQUAL;
}

bool hasClass(HWND window, LPCWSTR wanted) {
  wchar_t name[kClassChars];
  const int length = GetClassNameW(window, name, kClassChars);
  return sameName(name, length > 0 ? length : 0, wanted);
}

bool hasTitle(HWND window, LPCWSTR wanted) {
  std::wstring title(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = GetWindowTextW(window, &title[0], static_cast<int>(title.size()));
  return sameName(title.data(), length > 0 ? length : 0, wanted);
}

bool matches(HWND window, LPCWSTR className, LPCWSTR title) {
  return IsWindowVisible(window) && (className == nullptr || hasClass(window, className)) &&
         (title == nullptr || hasTitle(window, title));
}

}  // namespace

// FindWindowW finds the topmost match; below it, in Z order, the last one
// that is shown is the window brought forward longest ago. A hidden window
// is passed over, since bringing it forward would show nothing.
HWND FindLeastRecentWindow(LPCWSTR className, LPCWSTR title) {
  HWND least = FindWindowW(className, title);
  if (least == nullptr) return nullptr;
  for (HWND window = GetWindow(least, GW_HWNDNEXT); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (matches(window, className, title)) least = window;
  }
  return least;
}

// SetForegroundWindow activates a minimised window where it lies, on the
// task bar; restoring it first brings it back as it was, maximised or not.
// IsIconic is desktop Windows' alone: Windows CE has no minimised state (it
// puts such a window behind the desktop, and bringing it forward is enough).
// Activating a window raises it on Windows, but not everywhere (Wine
// without a window manager leaves the Z order as it was), and "next" needs
// the window it brought forward on top: the raise is asked for outright.
BOOL ActivateWindow(HWND window) {
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return SetForegroundWindow(window);
}
