#include "platform/window_list.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

wchar_t asciiLower(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool sameIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  const auto same = [](wchar_t x, wchar_t y) { return asciiLower(x) == asciiLower(y); };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), same);
}

bool matches(const WindowDescription& window, LPCWSTR className, LPCWSTR title,
             TitleMatch titleMatch) {
  return (className == nullptr || namesProgram(window.classes, className)) &&
         (title == nullptr || titleMatches(window.title, title, titleMatch));
}

HWND handleAt(std::size_t index) { return reinterpret_cast<HWND>(index + 1); }

}  // namespace

bool namesProgram(const std::vector<std::wstring>& names, std::wstring_view className) {
  return std::any_of(names.begin(), names.end(), [className](const std::wstring& name) {
    return sameIgnoringAsciiCase(name, className);
  });
}

bool titleMatches(std::wstring_view windowTitle, std::wstring_view title, TitleMatch titleMatch) {
  switch (titleMatch) {
    case TitleMatch::prefix:
      return windowTitle.substr(0, title.size()) == title;
    case TitleMatch::suffix:
      return windowTitle.size() >= title.size() &&
             windowTitle.substr(windowTitle.size() - title.size()) == title;
    case TitleMatch::contains:
      return windowTitle.find(title) != std::wstring_view::npos;
    case TitleMatch::exact:
      break;
  }
  return windowTitle == title;
}

WindowList::WindowList(std::vector<WindowDescription> windows) : windows_(std::move(windows)) {
  for (std::size_t i = 0; i < windows_.size(); ++i) windows_[i].handle = handleAt(i);
}

HWND WindowList::find(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) const {
  for (const WindowDescription& window : windows_) {
    if (matches(window, className, title, titleMatch)) return window.handle;
  }
  return nullptr;
}

std::vector<HWND> WindowList::findAll(LPCWSTR className, LPCWSTR title,
                                      TitleMatch titleMatch) const {
  std::vector<HWND> found;
  for (const WindowDescription& window : windows_) {
    if (matches(window, className, title, titleMatch)) found.push_back(window.handle);
  }
  return found;
}

HWND WindowList::front() const {
  for (const WindowDescription& window : windows_) {
    if (window.front) return window.handle;
  }
  return nullptr;
}

const WindowDescription* WindowList::at(HWND handle) const {
  const std::size_t index = indexOf(handle);
  return handle != nullptr && index < windows_.size() ? &windows_[index] : nullptr;
}
