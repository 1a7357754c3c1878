// Linux: the windows of a desktop as read once for the run, in the order a
// search goes through them. Every rule is answered from this list: the
// selection changes no window before the chosen section runs, so a fresh
// reading for each rule would give the same answers.
#ifndef TARVEXEL_PLATFORM_WINDOW_LIST_H
#define TARVEXEL_PLATFORM_WINDOW_LIST_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_system.h"

// Whether a rule's class names a window's program: equal, ignoring ASCII
// letter case, to any of the names its desktop gives for it. The same
// program is "XTerm" on one desktop and "xterm" on the next, and a profile
// is meant to work on each; every other character counts as it is, as on
// Windows, whose FindWindowW folds only case.
bool namesProgram(const std::vector<std::wstring>& names, std::wstring_view className);

// Whether a rule's title matches a window's, compared as `titleMatch`
// says, code unit by code unit: a title is the program's own text, and
// letter case in it tells windows apart.
bool titleMatches(std::wstring_view windowTitle, std::wstring_view title, TitleMatch titleMatch);

// A window handle from a list is its position counted from 1, so that no
// window's handle is null.
class WindowList {
 public:
  WindowList() = default;
  explicit WindowList(std::vector<WindowDescription> windows);

  // The first window whose classes hold `className` (see namesProgram)
  // and whose title matches `title` (see titleMatches; a null one matches
  // any), or null.
  HWND find(LPCWSTR className, LPCWSTR title,
            TitleMatch titleMatch = TitleMatch::exact) const;
  // Every window that find() would match, in list order.
  std::vector<HWND> findAll(LPCWSTR className, LPCWSTR title,
                            TitleMatch titleMatch = TitleMatch::exact) const;
  HWND front() const;

  // The window behind a handle, or null for a handle not from this list.
  const WindowDescription* at(HWND handle) const;
  std::size_t indexOf(HWND handle) const { return reinterpret_cast<std::size_t>(handle) - 1; }

  const std::vector<WindowDescription>& windows() const { return windows_; }

 private:
  std::vector<WindowDescription> windows_;
};

#endif
